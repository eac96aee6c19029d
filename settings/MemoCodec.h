// The memo pad's stored forms, as plain text logic.
//
// In the settings file the memo is one line: every line break becomes one TAB. A memo
// the ANSI code page holds exactly is stored as it is under MemoPadText. One with other
// characters (Greek on a Western system, an emoji) is stored there with "?" for them, so
// that every reader of that key gets what the code page can give and nothing else, and
// whole beside it as escaped UTF-8: printable ASCII as it is, every other byte as %XX.
#pragma once
#include <string>

#include "framework/WideText.h"

// Every line break (CR LF pair, lone CR, lone LF) becomes one TAB. Works on ANSI
// (std::string) and Unicode (WideText) text alike.
template <class Text>
Text MemoToStored(const Text& memo)
{
    Text stored;
    stored.reserve(memo.size());
    for (size_t i = 0; i < memo.size(); ++i) {
        if (memo[i] == '\r' || memo[i] == '\n') {
            if (memo[i] == '\r' && i + 1 < memo.size() && memo[i + 1] == '\n')
                ++i;
            stored.push_back('\t');
        } else {
            stored.push_back(memo[i]);
        }
    }
    return stored;
}

// Every stored TAB comes back as CR LF.
template <class Text>
Text StoredToMemo(const Text& stored)
{
    Text memo;
    memo.reserve(stored.size() + stored.size() / 8);
    for (auto c : stored) {
        if (c == '\t') {
            memo.push_back('\r');
            memo.push_back('\n');
        } else {
            memo.push_back(c);
        }
    }
    return memo;
}

// UTF-8 of the text, every byte outside printable ASCII and every "%" as %XX (upper-case
// hex). A lone surrogate, which an edit control can hold, is kept as its own three bytes,
// so that any text comes back unit for unit.
std::string EscapedUtf8(const WideText& text);
// The text back from EscapedUtf8's form; false for anything that form never holds.
bool FromEscapedUtf8(const std::string& escaped, WideText& text);

// The ANSI code page the file is kept in (WideText.h's conversions on Windows).
class AnsiCodePage {
public:
    // The text in the code page exactly; false when some character has no exact equivalent.
    virtual bool Exactly(const WideText& text, std::string& ansi) const = 0;
    // The text with "?" for every character the code page lacks.
    virtual std::string OrQuestionMarks(const WideText& text) const = 0;

protected:
    ~AnsiCodePage() = default;
};

// The values a memo is stored as.
struct StoredMemo {
    std::string text;  // MemoPadText
    std::string side;  // MemoPadTextUtf8; empty when MemoPadText holds the memo exactly
    // Each value within kLongestStoredMemo as written (quotes included): a save can store it.
    bool fits = false;
};

// The stored values of a memo, in the form the memo control shows (CR LF line breaks).
StoredMemo StoreMemo(const WideText& memoText, const AnsiCodePage& ansi);
