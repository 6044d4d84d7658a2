#pragma once

// Text helpers over paths, command lines and catalogue lists. Positions and case follow the
// system's rules: upper-casing touches a to z only.

#include <string>
#include <vector>

namespace shell {

// Appends "\" unless the path ends with one; an empty path stays empty.
std::string PostFixDir(const std::string& path);

// The folder above: C:\Games\X\ gives C:\Games, C:\Games gives C:, a text without "\" gives "".
std::string GetParentDir(const std::string& path);

// Entries separated by "," when the text holds one; else by ";" when it holds one or holds no
// ":"; else by ":". Empty entries count; an empty text gives no entries.
std::vector<std::string> SplitList(const std::string& text);

std::string CutBeforeColon(const std::string& text);

// A program path with its arguments cut off: when the text holds a blank and a ".", the text up
// to the third character after the last ".".
std::string CutAfterExtension(const std::string& text);

std::string StripQuotes(const std::string& text);

// The folder of the log file an uninstaller command line names (" -f", " -c", UNINST0.000).
std::string UninstallDirOf(const std::string& commandLine);

// Doubles each lone "&" so that a caption shows it literally.
std::string DoubleAmpersands(const std::string& text);

// Everything up to and including the last "\" or ":".
std::string ExtractFilePath(const std::string& path);

}
