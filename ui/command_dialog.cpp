#include "plugin/vexolin.h"

// The command dialog is not built yet: only a chooser installed by a test
// picks a command; otherwise the run reads as cancelled.
bool Vexolin::RunCommandDialog() {
    if (commandChooser != nullptr) return commandChooser(*this);
    return false;
}
