// Identifiers of the settings dialog and its controls: shared by the
// resource script, the plug-in's dialog code and any host that drives the
// dialog. Plain macros, so that the resource compiler reads this file too.
#pragma once

// The settings dialog.
#define IDD_SETTINGS 101
// Its three check boxes, each named in its setting's row of settings.inc.
#define IDC_HANKAKU 1000
#define IDC_EMOJI 1001
#define IDC_DELETE_CRLF 1002
