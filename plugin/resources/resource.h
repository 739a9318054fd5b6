// Identifiers of the plug-in's resources, shared by the resource script and
// the code that uses them.
#pragma once

// The settings dialog.
#define IDD_SETTINGS 101
// Its three check boxes, one for each setting.
#define IDC_HANKAKU 1000
#define IDC_EMOJI 1001
#define IDC_DELETE_CRLF 1002
