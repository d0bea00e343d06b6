// Files dropped on the view: each opens in turn, with dialog 108 asking whether to go on one at a time.
#pragma once
#include <windows.h>
#include <shellapi.h>

void OnDropFiles(HWND view, HDROP drop);
