// Our own stand-in for the two Windows calls the program makes, for systems without GDI.
// GetDC(nullptr) measures the physical screen; GetDeviceCaps answers its millimetres.
#pragma once

struct ScreenDeviceContext;
struct WindowHandle;

using HDC = ScreenDeviceContext *;
using HWND = WindowHandle *;

inline constexpr int HORZSIZE = 4; // width of the physical screen in millimetres
inline constexpr int VERTSIZE = 6; // height of the physical screen in millimetres

// The device context of the whole screen; it stays valid until the process ends.
HDC GetDC(HWND window);

// HORZSIZE or VERTSIZE of the screen's context; 0 for any other index or a null context.
int GetDeviceCaps(HDC context, int index);
