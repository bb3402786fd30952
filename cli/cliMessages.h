// The tool's own messages (usage, errors, the check's output) in the user's language:
// English as the source writes them, Japanese from the catalog po/ja.po, built into the
// program. The log lines of the copy and the reorder are not messages: the dialog writes
// the same lines, and they stay as they are in every language.
#pragma once

// The text of msgid (code page 932) in the platform's language: the Japanese of the
// catalog, or msgid itself in English or when the catalog lacks it. The language is
// decided at the first call (cliJapanese).
const char* tr(const char* msgid) __attribute__((format_arg(1)));
