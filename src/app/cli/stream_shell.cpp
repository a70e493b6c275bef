#include "app/cli/stream_shell.h"

void StreamShell::ShowMessage(std::string_view text, std::string_view caption) {
    ++messages_;
    err_ << caption << ": " << text << '\n';
}

void StreamShell::ShowWarning(std::string_view text, std::string_view) { err_ << "warning: " << text << '\n'; }

bool StreamShell::AskYesNo(std::string_view text, std::string_view caption) {
    err_ << caption << ": " << text << " Yes (no one to ask)\n";
    return true;
}
