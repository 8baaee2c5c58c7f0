// "--sync-login SERVER USER" and "--sync-register SERVER USER": the password comes on standard
// input, the account is stored as the settings dialog stores it, the server's answer is printed.
#pragma once

#include <functional>
#include <optional>

namespace tresslin::sync {

// The exit code (0 on success, 1 otherwise) when the arguments are one of the commands.
// speakTheDesktopsLanguage runs once the command's application exists, before anything is said.
std::optional<int> handleSyncCommand(int argc, char** argv,
                                     const std::function<void()>& speakTheDesktopsLanguage = {});

}  // namespace tresslin::sync
