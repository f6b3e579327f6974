// The program's name, for the captions of its message boxes: its file's
// name without folder or extension ("C:\dir\Zorik.exe" -> "Zorik").
// Windows and the application object both ask for it, so it depends on
// neither.
#pragma once

const char* AfxGetAppName();
