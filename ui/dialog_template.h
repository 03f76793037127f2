// The dialog templates in the language the program speaks (CurrentLanguage()), chosen here
// and not by the thread's UI language: every template exists in Japanese, most also in
// English (ui/k470loader_en.rc); a resource that the program's language lacks is taken in
// Japanese.
#pragma once

#include <windows.h>

namespace k470 {

// The resource `id` of `type` in the program's language, else in Japanese; null when it
// exists in neither.
HRSRC FindProgramResource(HMODULE module, LPCWSTR type, int id);

// The dialog template `id` as FindProgramResource finds it; null when there is none.
const DLGTEMPLATE* ProgramDialogTemplate(HMODULE module, int id);

}  // namespace k470
