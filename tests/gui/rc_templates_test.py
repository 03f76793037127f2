"""The two sets of dialog templates side by side: every Japanese template (k470loader.rc)
has an English one (k470loader_en.rc) with the same controls, ids and tab order, and the
English set holds ASCII only (captions, control texts, font faces).

Usage: rc_templates_test.py UI_FOLDER"""

import os
import re
import sys

NO_TEXT = {"COMBOBOX", "EDITTEXT", "LISTBOX", "SCROLLBAR"}  # first argument is the id


def arguments(line):
    """The comma-separated arguments after a statement's keyword, quotes kept whole."""
    return [a.strip() for a in re.findall(r'"[^"]*"|[^,]+', line.split(None, 1)[1])]


def templates(path):
    """{(language, template id): {"caption", "font", "controls": [(type, id, text)]}}."""
    found, language, current, inside = {}, None, None, False
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.strip()
            words = line.split()
            if not words or line.startswith("//") or line.startswith("#"):
                continue
            if words[0] == "LANGUAGE":
                language = words[1].rstrip(",")
            elif len(words) > 1 and words[1] == "DIALOGEX":
                current = {"caption": "", "font": "", "controls": []}
                found[(language, words[0])] = current
            elif current is not None and words[0] in ("CAPTION", "FONT"):
                current[words[0].lower()] = line
            elif current is not None and line == "BEGIN":
                inside = True
            elif current is not None and line == "END":
                current, inside = None, False
            elif inside:
                args = arguments(line)
                if words[0] in NO_TEXT:
                    current["controls"].append((words[0], args[0], ""))
                else:
                    current["controls"].append((words[0], args[1], args[0]))
    return found


def main():
    ui = sys.argv[1]
    japanese = templates(os.path.join(ui, "k470loader.rc"))
    english = templates(os.path.join(ui, "k470loader_en.rc"))
    problems = []
    for (language, name), template in sorted(japanese.items()):
        assert language == "LANG_JAPANESE", (language, name)
        other = english.get(("LANG_ENGLISH", name))
        if other is None:
            problems.append("%s has no English template" % name)
            continue
        ids = [(kind, ident) for kind, ident, _ in template["controls"]]
        if ids != [(kind, ident) for kind, ident, _ in other["controls"]]:
            problems.append("%s: the English controls differ in kind, id or order" % name)
        for text in [other["caption"], other["font"]] + [t for _, _, t in other["controls"]]:
            if not text.isascii():
                problems.append("%s: not ASCII in English: %s" % (name, text))
    if len(english) != len(japanese):
        problems.append("English templates without a Japanese one")
    if not japanese:
        problems.append("no templates found")
    if problems:
        sys.exit("\n".join(problems))
    print("%d templates in both languages" % len(japanese))


if __name__ == "__main__":
    main()
