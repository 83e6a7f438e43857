/* resource_ids.h: ids of the program's resources and of their controls, shared by the
   C++ code and the Windows resource script (kelvo.rc), so plain C preprocessor only. */
#ifndef KELVO_RESOURCE_IDS_H
#define KELVO_RESOURCE_IDS_H

#define IDD_SETTINGS 101
#define IDC_FULLSCREEN 1033

#endif
