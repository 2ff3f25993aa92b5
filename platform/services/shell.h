#pragma once
// ShellExecuteA's stand-in: the desktop's opener (xdg-open) started with the address as
// its one argument. No shell reads the address, and the opener is not waited for: it is
// started in a grandchild, so it never lingers as our zombie.

#include "platform/host/window.h"

#include <string>
#include <vector>

namespace platform {

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;

// ShellExecuteA's answers: above 32 is success.
inline constexpr HINSTANCE SHELL_EXECUTE_DONE = 42;
inline constexpr HINSTANCE SE_ERR_FNF = 2;
inline constexpr HINSTANCE SE_ERR_NOASSOC = 31;

// "open" (any case) or a null verb hands `file`, unchanged, to the opener command; other
// verbs have no handler here (SE_ERR_NOASSOC), nor has a file beginning with '-', which
// the opener would read as an option. Parameters are not passed (the opener takes none)
// and the show command is the desktop's to decide; a directory is the opener's working
// directory. SE_ERR_FNF when the opener cannot be started.
HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                        const char* directory, int show);

// The opener, the address going after its own arguments; {"xdg-open"} unless replaced.
std::vector<std::string> open_command();
void set_open_command(std::vector<std::string> command);

// Starts argv[0] (looked up in PATH, empty entries skipped, unless it holds a '/') with
// the other arguments, in `directory` when given, with stdin from /dev/null, none of our
// descriptors beyond stdout and stderr, and a session of its own. Returns once the
// program has replaced the child, or failed to: false when it could not be started. It
// is never waited for.
bool spawn_detached(const std::vector<std::string>& argv, const std::string& directory = {});

} // namespace platform
