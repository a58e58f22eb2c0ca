// Starts `compactor lsp` for the line and service descriptions.
const vscode = require("vscode");
const { LanguageClient } = require("vscode-languageclient/node");

let client;

function settings() {
  const c = vscode.workspace.getConfiguration("compactor");
  return { line: c.get("line"), scenario: c.get("scenario"), train: c.get("train"), keepPath: c.get("keepPath"), warnings: c.get("warnings") };
}

async function activate(context) {
  const command = vscode.workspace.getConfiguration("compactor").get("path") || "compactor";
  client = new LanguageClient(
    "compactor",
    "compactor",
    { command, args: ["lsp"] },
    {
      documentSelector: [{ scheme: "file", language: "compactor" }],
      initializationOptions: settings(),
      synchronize: { configurationSection: "compactor" },
    }
  );
  context.subscriptions.push(client);
  await client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
