// Removal of the installed program, after one question.
#pragma once

// The exit code: 0 removed, ERROR_INSTALL_USEREXIT (1602) when the user said
// No, ERROR_INSTALL_FAILURE (1603) when a running copy did not end or a file
// could not be deleted (named in an error box).
int UninstallProgram();
