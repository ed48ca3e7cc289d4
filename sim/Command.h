// The argument text that runs coastdown on a simulated folder,
// FOLDER,CALIBRATE,ZERO,MIN_SPEED,MAX_SPEED,WEIGHT,TEMPERATURE,PRESSURE,AREA,CD,
// and the form in which a user can type it into a shell.
#pragma once

#include <string>

#include "Config.h"

namespace sim {

// A path as users type it on this platform: with its separators (\ on
// Windows) and without trailing ones; --out so is the command's FOLDER.
std::string NativePath(const std::string& outDir);

// The ten fields joined with commas. CALIBRATE and ZERO are True when the
// folder has such runs; the speed window is the coastdown's low and high
// speed; CD is empty unless --known-cd was given.
std::string CoastdownArguments(const SimConfig& config);

enum class Shell { Posix, Cmd };
#ifdef _WIN32
inline constexpr Shell kPlatformShell = Shell::Cmd;
#else
inline constexpr Shell kPlatformShell = Shell::Posix;
#endif

// `word` as one word that a POSIX shell and cmd.exe both read back
// unchanged: as it is when it is plain, in double quotes when it holds
// nothing that double quotes leave open in either shell. A word that no
// common form carries is written for `fallback`: in single quotes for a
// POSIX shell; for cmd.exe in double quotes, left for each % and ".
std::string CommandWord(const std::string& word, Shell fallback = kPlatformShell);

// `coastdown ` and the argument text as one command word; with
// `--rate N ` before it when the run files hold N records a second, not 5,
// so that the line never reads them at the wrong rate.
std::string CoastdownCommandLine(const std::string& arguments, int rate = 5);

}  // namespace sim
