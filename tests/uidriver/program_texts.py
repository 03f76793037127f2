"""The window program's texts as a test run expects them, and the check that an English run
shows no Japanese character. The run's language is its locale's (LC_ALL, LC_MESSAGES,
LANG: the first that is set), which under Wine is also the Windows UI language the program
takes its own from."""

import os
import re

LOCALE = next((os.environ[n] for n in ("LC_ALL", "LC_MESSAGES", "LANG") if os.environ.get(n)), "")
ENGLISH = not LOCALE.startswith("ja")

# (key, Japanese, English); "%s" marks where a name goes (fill() puts it in).
ROWS = [
    # Templates and window texts.
    ("port", "ポート(&P)", "Port(&P)"), ("file_name", "ファイル名(&N)", "File name(&N)"),
    ("browse", "参照(&R)", "Browse(&R)"), ("settings", "設定(&S)", "Settings(&S)"),
    ("address", "アドレス(&A)", "Address(&A)"), ("device", "デバイス(&D)", "Device(&D)"), ("connect", "接続(&C)", "Connect(&C)"),
    ("disconnect", "切断(&C)", "Disconnect(&C)"), ("settings_title", "%s 設定", "%s Settings"),
    ("auto_load", "接続後自動でLoadを開始する(&L)", "Start Load automatically after connecting(&L)"),
    ("auto_go", "Load後自動でGoする(&G)", "Go automatically after Load(&G)"),
    ("run_app", "Go時、外部アプリケーションを起動する(&E)", "Start an external application on Go(&E)"),
    ("auto_disconnect", "Go後に自動で切断する(&D)", "Disconnect automatically after Go(&D)"),
    ("app_name", "アプリケーション名(&N)", "Application name(&N)"), ("browse_app", "参照", "Browse"),
    ("update_check", "ファイルの更新チェック(&F)", "Check the file for updates(&F)"),
    ("update_check_ram", "ファイルの更新チェック(&U)", "Check the file for updates(&U)"),
    # Messages and status texts of the windows.
    ("clock_range", "クロックが有効範囲外です。(0.01 - 655.35 MHz)",
     "The clock is outside the valid range. (0.01 - 655.35 MHz)"),
    ("name_refused", "ファイル名にシステムの文字コードで表せない文字が含まれています。",
     "The file name holds characters that the system's code page cannot represent."),
    ("app_not_started", "%sが起動できません。", "%s cannot be started."),
    ("app_folder_not_made", "ユーザアプリケーションフォルダの生成に失敗しました。",
     "Creating the user application data folder failed."),
    ("port_not_opened", "%sがオープンできません。", "%s cannot be opened."),
    ("file_format_invalid", "ファイルのフォーマットが不正です。", "The file's format is invalid."),
    ("no_such_port", "ポートがありません", "no such port"),
    ("help_not_found", "ヘルプファイルが見つかりません。", "The help file cannot be found."),
    ("settings_not_saved", "設定を保存できませんでした。", "The settings could not be saved."),
    # The jobs' messages, status texts and progress line.
    ("write_done", "書き込み終了", "Writing finished"),
    ("match_failed", "ブート合わせこみ失敗", "Boot mode bit rate matching failed"),
    ("write_error", "書き込みエラー", "Write error"),
    ("status_matching", "ブートモード、通信ビットレート合わせこみ",
     "boot mode, matching the bit rate"),
    ("status_transfer", "書き込み制御プログラム転送", "transferring the write-control program"),
    ("port_lost", "%sとの通信が切れました。", "The connection to %s was lost."),
    ("table_value_range", "デバイス定義 [%s] の%sが有効範囲外です。",
     "Device definition [%s]: %s is outside the valid range."),
    ("separator", " ・ ", ", "),
]

# The texts of the windows and of the jobs, in the language of the run.
T = {key: english if ENGLISH else japanese for key, japanese, english in ROWS}


def fill(text, *names):
    for name in names:
        text = text.replace("%s", name, 1)
    return text


# Hiragana, katakana, CJK ideographs, full-width forms and the Japanese punctuation.
JAPANESE = re.compile("[\u3000-\u30ff\u3400-\u4dbf\u4e00-\u9fff\uff00-\uffef]")


def window_texts(d, title):
    """A window's caption and the texts of every control of it, its pages' included."""
    return [d.text(title)] + [line.split("\t", 4)[4] for line in d.ok("list-windows", title)]


def expect_no_japanese(d, title):
    """In an English run: no Japanese character in the window `title` (caption, controls,
    pages)."""
    found = [text for text in window_texts(d, title) if JAPANESE.search(text)] if ENGLISH else []
    if found:
        raise AssertionError("Japanese in an English run (%s): %r" % (title, found))
