// The order in which dropped files are opened and when the user is asked whether to go on one at a time.
#pragma once
#include <functional>

enum class DropAnswer { kYes, kNo, kCancel };

// Opens files 0 .. count-1 in order. With more than one file, after each picture but the last it asks while the
// answers are Yes: No opens the rest without asking, Cancel stops after the current file.
// Returns the index of the last file opened (-1 when count < 1).
int RunDropSequence(int count, const std::function<void(int)> &open, const std::function<DropAnswer()> &ask);

