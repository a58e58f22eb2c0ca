#!/usr/bin/env bash
# Writes docs/commands.md from the program's own help pages:
#   docs/make_commands.sh build/compactor > docs/commands.md
# The test docs_commands_page checks that the page in the repository is what
# the program prints now.
set -euo pipefail
exe=${1:?usage: docs/make_commands.sh COMPACTOR}
echo "# compactor: every command's page"
echo
echo "What \`compactor help\` and \`compactor COMMAND --help\` print; made by"
echo "\`docs/make_commands.sh\` from the program itself."
echo
echo "## compactor help"
echo
echo '```'
"$exe" help
echo '```'
for c in $("$exe" help | sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }'); do
  echo
  echo "## compactor $c --help"
  echo
  echo '```'
  "$exe" "$c" --help
  echo '```'
done
