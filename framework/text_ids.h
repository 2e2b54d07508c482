// Ids of the program's texts: the string table of res/quorlin.rc, one entry in each language
// block. Plain defines, because the resource compiler reads this file too. Portable.
#pragma once

// Panel
#define IDS_DATA_MOVED 160
#define IDS_TRAY_TIP 161
#define IDS_NOTICE_CAPTION 162
#define IDS_CLEAR_ALL_QUESTION 163
#define IDS_CLEAR_ALL_CAPTION 164
#define IDS_LOCKED_DROP_QUESTION 165
#define IDS_DROP_LIMIT 166
#define IDS_HOTKEY_MENU 167
#define IDS_HOTKEY_NONE 168
#define IDS_HOTKEY_REFUSED_ONE 169
#define IDS_HOTKEY_REFUSED_ALL 170
#define IDS_LIST_SEPARATOR 171

// Buttons, and the titles of the built-in entries as the user reads them
#define IDS_REMOVAL_PROMPT 172
#define IDS_ENTRY_COMPUTER 173
#define IDS_ENTRY_CONTROL 174
#define IDS_ENTRY_DOCUMENTS 175
#define IDS_ENTRY_RECYCLE 176
#define IDS_ENTRY_BROWSER 177

// Add/edit dialog
#define IDS_ADD_CAPTION 178
#define IDS_EDIT_CAPTION 179
#define IDS_LABEL_FILE 180
#define IDS_LABEL_URL 181
#define IDS_LABEL_FOLDER 182
#define IDS_NEED_TITLE 183
#define IDS_NEED_TARGET 184
#define IDS_NEED_HTTP 185
#define IDS_ROW_GONE 186
#define IDS_FOLDER_INSTRUCTION 187
#define IDS_FOLDER_CAPTION 188
#define IDS_FILE_FILTER 197

// Store
#define IDS_OPEN_DATA_FAILED 189
#define IDS_NAME_NOT_STORABLE 190
#define IDS_NO_SORT_LEFT 191
#define IDS_NO_ID_LEFT 192

// Version check
#define IDS_VERSION_CAPTION 193
#define IDS_VERSION_FAILED 194
#define IDS_VERSION_UP_TO_DATE 195
#define IDS_VERSION_NEWER 196

// Add/edit dialog: texts longer than a button may keep (store/button_table.h)
#define IDS_TITLE_TOO_LONG 198
#define IDS_TARGET_TOO_LONG 199
#define IDS_PARAMS_TOO_LONG 200

// A target out of reach
#define IDS_TARGET_DRIVE_ABSENT 201
#define IDS_TARGET_OUT_OF_REACH 202

// Import preview: its columns and the kinds of entry
#define IDS_IMPORT_COL_TITLE 203
#define IDS_IMPORT_COL_KIND 204
#define IDS_IMPORT_COL_PATH 205
#define IDS_IMPORT_COL_PARAMETER 206
#define IDS_IMPORT_COL_REFUSED 207
#define IDS_KIND_FILE 208
#define IDS_KIND_BROWSER_URL 209
#define IDS_KIND_FOLDER 210
#define IDS_KIND_SHELL_ENTRY 211
#define IDS_KIND_URL 212

// What a screen reader is told: a button's place on the rings, its action, the clock
#define IDS_ACC_PLACE 213
#define IDS_ACC_OPEN 214
#define IDS_ACC_CLOCK 215
// Add/edit dialog: a button's words of its own (store/alias_table.h)
#define IDS_ALIAS_TOO_LONG 216
// The settings window
#define IDS_SETTINGS_TITLE 217
#define IDS_SET_GROUP_KEYS 218
#define IDS_SET_HOTKEY_LABEL 219
#define IDS_SET_DEFAULT 220
#define IDS_SET_HOTKEY_ACTIVE 221
#define IDS_SET_HOTKEY_TAKEN 222
#define IDS_SET_HOTKEY_INVALID 223
#define IDS_SET_QUIET_HOTKEY 224
#define IDS_SET_GROUP_PANEL 225
#define IDS_SET_LANGUAGE_LABEL 226
#define IDS_SET_LANGUAGE_AUTO 227
#define IDS_SET_SIZE_LABEL 228
#define IDS_SET_AUTORUN 229
#define IDS_SET_TOPMOST 230
#define IDS_SET_FIXED 231
#define IDS_SET_LOCK 232
#define IDS_SET_UPDATE_CHECK 233
#define IDS_SET_CHECK_NOW 234
#define IDS_SET_GROUP_DATA 235
#define IDS_SET_DATA_LABEL 236
#define IDS_SET_OPEN_FOLDER 237
#define IDS_SET_BACKUPS_LABEL 238
#define IDS_SET_RESTORE 239
#define IDS_SET_EXPORT 240
#define IDS_SET_IMPORT 241
#define IDS_SET_CLOSE 242
#define IDS_SET_NO_BACKUP 243
#define IDS_RESTORE_QUESTION 244
#define IDS_RESTORE_FAILED 245
#define IDS_RESTORE_NOT_BACKED_UP 246

// The first start's hint below the panel: what to do, where the menu is, and the hotkey
#define IDS_FIRST_HINT 247
#define IDS_FIRST_HINT_MENU 248
#define IDS_FIRST_HINT_HOTKEY 249

#define IDS_FIRST_TEXT IDS_DATA_MOVED
#define IDS_LAST_TEXT IDS_FIRST_HINT_HOTKEY
