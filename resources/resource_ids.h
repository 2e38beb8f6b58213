// The ids that zelt.rc and the code showing its dialogs share. Plain defines and a plain guard: the
// resource compiler reads this file too.
#ifndef ZELT_RESOURCE_IDS_H
#define ZELT_RESOURCE_IDS_H

#define ZELT_UNKEY_HOTKEY_DIALOG 200
#define ZELT_UNKEY_HOTKEY_CONTROL 201
#define ZELT_UNKEY_HOTKEY_STATUS 202

#endif
