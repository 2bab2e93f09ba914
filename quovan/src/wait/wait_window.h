#pragma once
// The small window shown while an export waits for the desktop program: one sentence and the button
// "Abbrechen". Owned by the host's window, so that it stays in front of it.

#include <windows.h>

#include <atomic>

// Creates and shows the window; pressing "Abbrechen" (or closing it) sets *cancelled. Null when it
// cannot be created; the wait goes on without it.
HWND createWaitWindow(HWND owner, std::atomic<bool>* cancelled);
// Destroys the window; its class goes with it, so that no class of an unloaded DLL stays behind.
void destroyWaitWindow(HWND window);
