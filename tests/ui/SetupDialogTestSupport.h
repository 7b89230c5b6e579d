// What the set-up and settings dialog tests share: the login control inside
// a frame or page, clicks posted into it, and work run once the dialog's
// queue has drained (inside its modal loop, after the posted clicks).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CMessageBoxCapture;

namespace SetupDialogTest
{
// The first child dialog of the window (the embedded control), or null.
HWND ChildDialog(HWND window);
// A click posted to a control of the dialog, as a user's would arrive.
void PostClick(HWND dialog, int controlId);
// Fills in the login fields of the frame's control and posts Login.
void PostLogin(HWND frame, const std::string& username, const std::string& password);
// Runs the work on the window's thread once the messages posted before it
// have been handled (a box or dialog their handlers show over the window
// gone too, as a user could do nothing there meanwhile); never runs when
// the window is destroyed first.
void AfterPosted(HWND window, std::function<void()> work);
std::string TextOf(HWND window);
// The texts of the captured boxes, each checked for the add-in's caption.
std::vector<std::string> BoxTextsWithCaption(const CMessageBoxCapture& boxes);
bool IsShown(HWND dialog, int controlId);
// The screenshot beside the test executable.
void Screenshot(HWND window, const std::string& name);
// The same after the window and its children have repainted, for
// screenshots taken in the middle of a script.
void PaintedScreenshot(HWND window, const std::string& name);
} // namespace SetupDialogTest
