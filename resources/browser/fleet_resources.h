// FleetValuer's resources: command identifiers, menu, accelerators, string table, icon and the
// about box.
#pragma once

#include "platform/dialogs/dialog.h"
#include "platform/frame/frame.h"

namespace tnv::fleet {

constexpr UINT IDR_FLEET_MAINFRAME = 128;
constexpr UINT IDD_FLEET_ABOUTBOX = 100;

constexpr UINT ID_SORT_BY_NAME = 32771;
constexpr UINT ID_SORT_BY_WEIGHT = 32772;
constexpr UINT ID_SORT_BY_RANK = 32773;
constexpr UINT ID_SORT_BY_TYPE = 32774;
constexpr UINT ID_SORT_BY_PRICE = 32775;
constexpr UINT ID_VIEW_ALL_VARIATIONS = 32776;
constexpr UINT ID_HELP_KEYWORD_LIST = 32777;

extern const char* const kFleetAppTitle;    // "FleetScout"
extern const char* const kFleetDocString;   // "Tarnavel FleetScout"
extern const char* const kFleetWindowTitle; // "Tarnavel FleetScout utility"
extern const char* const kFleetIconXpm[];
// The desktop entry the browser's windows belong to (resources/desktop/fleetvaluer.desktop).
constexpr const char* kFleetDesktopId = "fleetvaluer";

FrameResources FleetFrameResources();

// The about box, controls in dialog units.
DlgTemplate FleetAboutTemplate();

} // namespace tnv::fleet
