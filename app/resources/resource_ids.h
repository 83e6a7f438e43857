/* resource_ids.h: ids of the program's resources and of their controls, and its title,
   shared by the C++ code and the Windows resource script (kelvo.rc), so plain C
   preprocessor only. */
#ifndef KELVO_RESOURCE_IDS_H
#define KELVO_RESOURCE_IDS_H

#define IDD_SETTINGS 101
#define IDC_FULLSCREEN 1033

/* The settings dialog's caption and the output window's title. */
#define KELVO_TITLE "Kelvo Remix by Tarvik"

#endif
