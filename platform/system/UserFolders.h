#pragma once
// The per-user folders of the XDG base-directory and user-dirs conventions:
// the stand-ins for the user's profile, application-data and documents
// folders. Read the environment on each call; callable from any thread, but
// the environment must not change meanwhile.

#include <string>

namespace kelvara {

// $HOME, else the password database's home directory; empty when unknown.
std::string GetHomeFolder();

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; empty when
// the home folder is unknown. No trailing '/'.
std::string GetConfigHome();

// The user's documents folder: XDG_DOCUMENTS_DIR from user-dirs.dirs in the
// config home, else the XDG_DOCUMENTS_DIR environment variable, else
// ~/Documents. Created with its parents when missing. Returns false (folder
// untouched) when no home is known or the folder cannot be made. No trailing '/'.
bool GetDocumentsFolder(std::string& folder);

// Creates path and its missing parents; true when it is a directory afterwards.
bool MakeDirectories(const std::string& path);

}  // namespace kelvara
