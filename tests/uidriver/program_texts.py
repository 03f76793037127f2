"""The window program's texts as a test run expects them, one table per language, and the
check that an English run shows no Japanese character. The run's language is its locale's
(LC_ALL, LC_MESSAGES, LANG: the first that is set), which under Wine is also the Windows
UI language the program takes its own from."""

import os
import re


def run_language():
    for name in ("LC_ALL", "LC_MESSAGES", "LANG"):
        if os.environ.get(name):
            return "ja" if os.environ[name].startswith("ja") else "en"
    return "en"


LANGUAGE = run_language()
ENGLISH = LANGUAGE == "en"

# "%s" marks where a name goes (fill() puts it in).
TEXTS = {
    "ja": {
        # Templates and window texts.
        "port": "ポート", "file_name": "ファイル名", "browse": "参照(&R)",
        "settings": "設定(&S)", "address": "アドレス", "connect": "接続(&C)",
        "disconnect": "切断(&C)", "settings_title": "%s 設定",
        "auto_load": "接続後自動でLoadを開始する", "auto_go": "Load後自動でGoする",
        "run_app": "Go時、外部アプリケーションを起動する",
        "auto_disconnect": "Go後に自動で切断する", "app_name": "アプリケーション名",
        "browse_app": "参照", "update_check": "ファイルの更新チェック",
        # Messages and status texts of the windows.
        "clock_range": "クロックが有効範囲外です。(0.01 - 655.35 MHz)",
        "name_refused": "ファイル名にシステムの文字コードで表せない文字が含まれています。",
        "app_not_started": "%sが起動できません。",
        "app_folder_not_made": "ユーザアプリケーションフォルダの生成に失敗しました。",
        "port_not_opened": "%sがオープンできません。",
        "file_format_invalid": "ファイルのフォーマットが不正です。",
        # The jobs' messages, status texts and progress line.
        "write_done": "書き込み終了", "match_failed": "ブート合わせこみ失敗",
        "write_error": "書き込みエラー", "status_matching": "ブートモード、通信ビットレート合わせこみ",
        "status_transfer": "書き込み制御プログラム転送", "port_lost": "%sとの通信が切れました。",
        "table_value_range": "デバイス定義 [%s] の%sが有効範囲外です。", "separator": " ・ ",
    },
    "en": {
        "port": "Port", "file_name": "File name", "browse": "Browse(&R)",
        "settings": "Settings(&S)", "address": "Address", "connect": "Connect(&C)",
        "disconnect": "Disconnect(&C)", "settings_title": "%s Settings",
        "auto_load": "Start Load automatically after connecting",
        "auto_go": "Go automatically after Load", "run_app": "Start an external application on Go",
        "auto_disconnect": "Disconnect automatically after Go", "app_name": "Application name",
        "browse_app": "Browse", "update_check": "Check the file for updates",
        "clock_range": "The clock is outside the valid range. (0.01 - 655.35 MHz)",
        "name_refused": "The file name holds characters that the system's code page cannot "
                        "represent.",
        "app_not_started": "%s cannot be started.",
        "app_folder_not_made": "Creating the user application data folder failed.",
        "port_not_opened": "%s cannot be opened.",
        "file_format_invalid": "The file's format is invalid.",
        "write_done": "Writing finished", "match_failed": "Boot mode bit rate matching failed",
        "write_error": "Write error", "status_matching": "boot mode, matching the bit rate",
        "status_transfer": "transferring the write-control program",
        "port_lost": "The connection to %s was lost.",
        "table_value_range": "Device definition [%s]: %s is outside the valid range.",
        "separator": ", ",
    },
}

# The texts of the windows and of the jobs, in the language of the run.
T = TEXTS[LANGUAGE]


def fill(text, *names):
    for name in names:
        text = text.replace("%s", name, 1)
    return text


# Hiragana, katakana, CJK ideographs, full-width forms and the Japanese punctuation.
JAPANESE = re.compile("[\u3000-\u30ff\u3400-\u4dbf\u4e00-\u9fff\uff00-\uffef]")


def japanese_in(texts):
    """The texts that hold a Japanese character."""
    return [text for text in texts if JAPANESE.search(text)]


def window_texts(d, title):
    """A window's caption and the texts of every control of it, its pages' included."""
    return [d.text(title)] + [line.split("\t", 4)[4] for line in d.ok("list-windows", title)]


def expect_no_japanese(d, title=None, box=None):
    """In an English run: no Japanese character in the window `title` (caption, controls,
    pages) or in the message box text `box`."""
    if not ENGLISH:
        return
    texts = (window_texts(d, title) if title is not None else []) + ([box] if box else [])
    found = japanese_in(texts)
    if found:
        raise AssertionError("Japanese in an English run (%s): %r" % (title or "box", found))
