"""Every Japanese dialog template (k470loader.rc) has an English one (k470loader_en.rc)
with the same controls, ids and tab order, and the English set is ASCII (captions,
control texts, font faces). No window has a mnemonic twice: the main window counts with
its menu bar and the page shown; every label of a box or field has one. Usage: rc_templates_test.py UI_FOLDER"""

import os
import re
import sys

NO_TEXT = {"COMBOBOX", "EDITTEXT", "LISTBOX", "SCROLLBAR"}  # first argument is the id


def templates(path):
    """{(language, id): [caption and font lines, then (type, id, text) per control]}."""
    found, language, current = {}, None, None
    with open(path, encoding="utf-8") as f:
        for line in (raw.strip() for raw in f):
            words = line.split()
            if not words or line.startswith(("//", "#")) or line == "BEGIN":
                continue
            if words[0] == "LANGUAGE":
                language = words[1].rstrip(",")
            elif len(words) > 1 and words[1] == "DIALOGEX":
                current = found.setdefault((language, words[0]), [])
            elif current is not None and line == "END":
                current = None
            elif current is not None and words[0] in ("CAPTION", "FONT"):
                current.append(line)
            elif current is not None and words[0] not in ("STYLE", "EXSTYLE", "MENU"):
                args = [a.strip() for a in re.findall(r'"[^"]*"|[^,]+', line.split(None, 1)[1])]
                text, ident = ("", args[0]) if words[0] in NO_TEXT else (args[0], args[1])
                current.append((words[0], ident, text))
    return found


# The windows whose mnemonics are seen together: the main window with its menu bar and
# one page at a time.
SEEN_TOGETHER = [("IDD_K470LOADER_DIALOG", "IDD_FORM_FLASH_WRITE"),
                 ("IDD_K470LOADER_DIALOG", "IDD_FORM_RAM_LOAD")]
MENU_BAR = ["F", "O", "H"]  # File(&F), Option(&O).., Help(&H)


def mnemonics(template):
    return [m.upper() for c in template if isinstance(c, tuple)
            for m in re.findall(r"&([^&])", c[2])]


def duplicate_mnemonics(found):
    problems = []
    names = {name for _, name in found}
    groups = [(n,) for n in sorted(names) if not any(n in g for g in SEEN_TOGETHER)]
    for language in sorted({lang for lang, _ in found}):
        for group in groups + SEEN_TOGETHER:
            letters = sum((mnemonics(found.get((language, n), [])) for n in group), [])
            if group[0] == "IDD_K470LOADER_DIALOG":
                letters += MENU_BAR
            twice = sorted({m for m in letters if letters.count(m) > 1})
            if twice:
                problems.append("%s %s: mnemonic twice: %s" % (language, "+".join(group), twice))
    return problems


def unmarked_labels(found):
    """A label just before a box or a field (its tab stop) carries the mnemonic that
    reaches it."""
    problems = []
    for (language, name), template in sorted(found.items()):
        if name == "IDD_DLG_FSET":
            continue  # two fields under the chip's own terms (CLK, Baud Rate), Tab between
        controls = [c for c in template if isinstance(c, tuple)]
        for label, field in zip(controls, controls[1:]):
            if label[0] in ("LTEXT", "RTEXT") and label[2].strip('"') and \
                    field[0] in ("COMBOBOX", "EDITTEXT") and "&" not in label[2]:
                problems.append("%s %s: no mnemonic for %s" % (language, name, field[1]))
    return problems


def main():
    japanese = templates(os.path.join(sys.argv[1], "k470loader.rc"))
    english = templates(os.path.join(sys.argv[1], "k470loader_en.rc"))
    problems = [] if japanese else ["no templates found"]
    if sorted(n for _, n in japanese) != sorted(n for _, n in english):
        problems.append("templates in one language only")
    for (_, name), ja in sorted(japanese.items()):
        en = english.get(("LANG_ENGLISH", name), [])
        controls = [[c[:2] for c in t if isinstance(c, tuple)] for t in (ja, en)]
        if controls[0] != controls[1]:
            problems.append("%s: the English controls differ in kind, id or order" % name)
        problems += ["%s: not ASCII in English: %s" % (name, t)
                     for t in (c[2] if isinstance(c, tuple) else c for c in en) if not t.isascii()]
    problems += duplicate_mnemonics(japanese) + duplicate_mnemonics(english)
    problems += unmarked_labels(japanese) + unmarked_labels(english)
    sys.exit("\n".join(problems) if problems else None)


if __name__ == "__main__":
    main()
