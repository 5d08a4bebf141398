// TnvCueLine's resources: menu, accelerators, string table, help text and icon.
#pragma once

#include "platform/frame/frame.h"

#include <string>

namespace tnv::cueline {

// The editor's own command identifiers.
constexpr UINT ID_SORT_FILENAME = 32771;
constexpr UINT ID_SORT_TEXT = 32772;
constexpr UINT ID_SORT_NONE = 32773;
constexpr UINT ID_DISPLAY_ROWNUMBER = 32774;
constexpr UINT ID_HELP_CUELINE = 32775;

constexpr UINT IDR_MAINFRAME = 128;
constexpr UINT IDD_ABOUTBOX = 100;
constexpr UINT IDD_HELP = 130;
constexpr UINT IDC_HELP_EDIT = 1000;

// "CueLine", string 57344.
extern const char* const kCueLineAppTitle;
// The desktop entry the editor's windows belong to (resources/desktop/tnv-cueline.desktop).
constexpr const char* kCueLineDesktopId = "tnv-cueline";
// The document template's string 128.
extern const char* const kCueLineDocString;

FrameResources CueLineFrameResources();

// The help dialog's text: lines joined by CR LF, no line end after the last.
const std::string& CueLineHelpText();

// The program's icon, 32 by 32, in XPM form.
extern const char* const kCueLineIconXpm[];

} // namespace tnv::cueline
