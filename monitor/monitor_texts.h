// The messages and status texts of the RAM load, shown to the user as they are.
#pragma once

namespace k470 {

// Message boxes (error icon).
constexpr const char* kMsgStartAddressOutOfRange = "スタートアドレスが有効範囲外です。";
constexpr const char* kMsgFileFormatInvalid = "ファイルのフォーマットが不正です。";
constexpr const char* kMsgDataOutOfRange = "データのアドレスが有効範囲外です。";
// The command-line tool's limit on the wait for a chunk's "end!" has passed.
constexpr const char* kMsgNoAck = "ボードから応答がありません。";

// Status texts.
constexpr const char* kStatusReadingFile = "reading file...";

}  // namespace k470
