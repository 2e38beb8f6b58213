// The ids that zelt.rc and the code loading its resources share. Plain defines and a plain guard: the
// resource compiler reads this file too.
#ifndef ZELT_RESOURCE_IDS_H
#define ZELT_RESOURCE_IDS_H

// The transmit mark laid over the taskbar button (the program's own icon is 1).
#define ZELT_TRANSMIT_MARK_ICON 2

#define ZELT_UNKEY_HOTKEY_DIALOG 200
#define ZELT_UNKEY_HOTKEY_CONTROL 201
#define ZELT_UNKEY_HOTKEY_STATUS 202

#endif
