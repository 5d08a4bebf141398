#include "resources/editor/cueline_resources.h"

namespace tnv::cueline {

const char* const kCueLineAppTitle = "CueLine";
const char* const kCueLineDocString =
    "CueLine\n\nCueL\nCueL Files (*.clt)\n.clt\nCueLine.Document\nCueL Document";

FrameResources CueLineFrameResources() {
    FrameResources r = FrameResources::Standard();
    r.menu = {
        {"&File",
         {{ID_FILE_OPEN, "&Open...\tCtrl+O"},
          {ID_FILE_SAVE, "&Save\tCtrl+S"},
          {ID_SEPARATOR, ""},
          {ID_FILE_PRINT, "&Print...\tCtrl+P"},
          {ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
          {ID_FILE_PRINT_SETUP, "P&rint Setup..."},
          {ID_SEPARATOR, ""},
          {ID_APP_EXIT, "E&xit"}}},
        {"&View",
         {{ID_VIEW_STATUS_BAR, "&Status Bar"},
          {ID_SEPARATOR, ""},
          {ID_SORT_NONE, "&No sort"},
          {ID_SORT_FILENAME, "Sort by &Filename"},
          {ID_SORT_TEXT, "Sort by &Text"},
          {ID_SEPARATOR, ""},
          {ID_DISPLAY_ROWNUMBER, "&Display row number"}}},
        {"&Help", {{ID_HELP_CUELINE, "TnvCueLine &Help"}, {ID_APP_ABOUT, "&About CueLine..."}}},
    };
    r.strings.insert({
        {IDR_MAINFRAME, kCueLineDocString},
        {AFX_IDS_APP_TITLE, kCueLineAppTitle},
        {ID_SORT_FILENAME, "Sort line by Filename"},
        {ID_SORT_TEXT, "Sort line by Text"},
        {ID_SORT_NONE,
         "Original list, first sound listed in Clt file than sound that are not listed"},
        {ID_DISPLAY_ROWNUMBER, "Display row number"},
    });
    r.iconXpm = kCueLineIconXpm;
    return r;
}

DlgTemplate CueLineAboutTemplate() {
    DlgTemplate t;
    t.caption = "About CueLine";
    t.cx = 217;
    t.cy = 55;
    t.controls = {
        {DlgKind::Picture, IDC_ABOUT_ICON, "", 11, 17, 21, 20, 0},
        {DlgKind::Text, IDC_STATIC, "TnvCueLine editor for Tarnavel", 40, 10, 127, 8, SS_LEFT},
        // Below the OK button the second line may run to the right margin.
        {DlgKind::Text, IDC_ABOUT_LINE2, "", 40, 25, 170, 8, SS_LEFT},
        {DlgKind::Button, IDOK, "OK", 178, 7, 32, 14, BS_DEFPUSHBUTTON},
    };
    return t;
}

DlgTemplate CueLineHelpTemplate() {
    DlgTemplate t;
    t.caption = "TnvCueLine Help";
    t.cx = 422;
    t.cy = 301;
    t.controls = {
        {DlgKind::Edit, IDC_HELP_EDIT, "", 4, 4, 413, 277, ES_WANTRETURN | WS_VSCROLL},
        {DlgKind::Button, IDOK, "OK", 4, 284, 413, 14, 0},
    };
    return t;
}

const std::string& CueLineHelpText() {
    static const std::string text =
        "OPENING A VOICE PACK SOUND TEXT\r\n"
        "--------------------------------------------------------------\r\n"
        "Click Open and browse to the directory \"Tarnavel\\Sound\\Crewpack\" select a directory "
        "here (avoid editing the defaut directory see below \"creating a new sound pack\") once in "
        "a directory select the file \"CueLine.clt\" and click ok.\r\n"
        "\r\n"
        "EDITING THE TEXT\r\n"
        "--------------------------------------------------------------\r\n"
        "Double click on the right cell and edit as usuall, you can access a submenu for clipboard "
        "operation while right clicking on a cell. Don't forget to save your changes.\r\n"
        "\r\n"
        "EARING THE RELATED SOUND\r\n"
        "--------------------------------------------------------------\r\n"
        "Left click on the filename column (left column).\r\n"
        "\r\n"
        "COLOR MEANING\r\n"
        "--------------------------------------------------------------\r\n"
        "A light blue color mean this sound doesn't have a text currently, if you edit a copy of "
        "the default cueline it mean usually that this sound doesn't need a text (it will not be "
        "taken in account by Tnv anyway). A RED color mean that this wav doesn't exist on the "
        "disk.\r\n"
        "\r\n"
        "CREATING A NEW SOUNDPACK\r\n"
        "--------------------------------------------------------------\r\n"
        "You can create a new soundpack with different voice or language, you can redo somes or "
        "all of the voice sound wav. Read below:\r\n"
        "\r\n"
        "1-Copy the directory \"default\" with all its files and rename it (example: \"German "
        "voice\"\r\n"
        "2-Delete from this new directory all the wav that you don't want to edit, Tnv will take "
        "the missing wav from the \"defaut\" directory.\r\n"
        "3-Record the new wav and save them with the same name than the wav that you want to "
        "replace.\r\n"
        "4-Once done use this utility to edit the \"CueLine.clt\" file located in your new pack "
        "directory.\r\n"
        "5-When saving if you deleted somes wav you will have somes red line mean that some wav "
        "will be missing, this utility will ask you if you want to save the text of missing name "
        "reply \"no\"\r\n"
        "\r\n"
        "TIPS\r\n"
        "--------------------------------------------------------------\r\n"
        "Each time you click on the left column to hear a sound the filename will be copied to "
        "clipboard, this is usefull to past this filename in your sound editor so you can save "
        "your sound without bothering typing the filename.";
    return text;
}

} // namespace tnv::cueline
