// Removal of the installed program, after one question.
#pragma once

// Always 0.
int UninstallProgram();
