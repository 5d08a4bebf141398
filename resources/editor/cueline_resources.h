// TnvCueLine's resources: menu, accelerators, string table, help text and icon.
#pragma once

#include "platform/dialogs/dialog.h"
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
constexpr UINT IDC_ABOUT_ICON = 1001;
constexpr UINT IDC_ABOUT_LINE2 = 1002;

// "CueLine", string 57344.
extern const char* const kCueLineAppTitle;
// The desktop entry the editor's windows belong to (resources/desktop/tnv-cueline.desktop).
constexpr const char* kCueLineDesktopId = "tnv-cueline";
// The document template's string 128.
extern const char* const kCueLineDocString;

FrameResources CueLineFrameResources();

// The about box (the icon is set when it opens) and the help dialog, whose edit is given the help
// text when it opens.
DlgTemplate CueLineAboutTemplate();
DlgTemplate CueLineHelpTemplate();

// The help dialog's text: lines joined by CR LF, no line end after the last.
const std::string& CueLineHelpText();

// The program's icon, 32 by 32, in XPM form.
extern const char* const kCueLineIconXpm[];

} // namespace tnv::cueline
