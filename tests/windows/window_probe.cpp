// Shows the window of the windowed program's layer and keeps it on the screen
// until the file named by the first argument exists (at most a minute), so
// that a test can look at it: the run itself is over too soon for that.
#include <windows.h>

#include "driver/platform.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  if (argc != 2) return 64;
  compactor::platform::prepare(argc, argv);
  compactor::platform::show_waiting(compactor::kApplicationTitle);
  for (int waited = 0; waited < 60000; waited += 100) {
    if (GetFileAttributesA(argv[1]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(100);
  }
  compactor::platform::hide_waiting();
  return 0;
}
