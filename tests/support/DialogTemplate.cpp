#include "support/DialogTemplate.h"

#include <gtest/gtest.h>

#include <cstring>

namespace testing_support {

namespace {

class Reader {
public:
    explicit Reader(const BYTE* data) : p_(data), base_(data) {}
    WORD Word() { WORD v; std::memcpy(&v, p_, 2); p_ += 2; return v; }
    DWORD Dword() { DWORD v; std::memcpy(&v, p_, 4); p_ += 4; return v; }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return *p_++; }
    // A string, "#n" for an ordinal, or "" for none.
    std::string NameOrOrdinal()
    {
        const WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string text;
        for (WORD c = first; c != 0; c = Word())
            text += static_cast<char>(c);
        return text;
    }
    void AlignDword()
    {
        while ((p_ - base_) % 4 != 0)
            ++p_;
    }
    void Skip(size_t bytes) { p_ += bytes; }

private:
    const BYTE* p_;
    const BYTE* base_;
};

} // namespace

std::string ClassName(const std::string& stored)
{
    if (stored == "#128") return "BUTTON";
    if (stored == "#129") return "EDIT";
    if (stored == "#130") return "STATIC";
    std::string upper = stored;
    for (char& c : upper)
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& out)
{
    HRSRC found = ::FindResourceExA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(id),
                                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (found == nullptr)
        return false;
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
    if (data == nullptr)
        return false;
    Reader in(data);
    out = DialogTemplate{};
    out.version = in.Word();
    out.signature = in.Word();
    if (out.version != 1 || out.signature != 0xFFFF)
        return false;
    out.helpId = in.Dword();
    out.exStyle = in.Dword();
    out.style = in.Dword();
    const WORD count = in.Word();
    out.x = in.Short();
    out.y = in.Short();
    out.cx = in.Short();
    out.cy = in.Short();
    out.menu = in.NameOrOrdinal();
    out.windowClass = in.NameOrOrdinal();
    out.title = in.NameOrOrdinal();
    if (out.style & DS_SETFONT) {
        out.pointSize = in.Word();
        out.weight = in.Word();
        out.italic = in.Byte();
        out.charset = in.Byte();
        out.typeface = in.NameOrOrdinal();
    }
    for (WORD i = 0; i < count; ++i) {
        in.AlignDword();
        TemplateControl c;
        c.helpId = in.Dword();
        c.exStyle = in.Dword();
        c.style = in.Dword();
        c.x = in.Short();
        c.y = in.Short();
        c.cx = in.Short();
        c.cy = in.Short();
        c.id = static_cast<int>(in.Dword());
        c.className = ClassName(in.NameOrOrdinal());
        c.text = in.NameOrOrdinal();
        c.creationDataSize = in.Word();
        in.Skip(c.creationDataSize);
        out.controls.push_back(c);
    }
    return true;
}

void ExpectVelmoraFrame(const DialogTemplate& t, DWORD style, short cx, short cy)
{
    EXPECT_EQ(style, t.style);
    EXPECT_EQ(0u, t.exStyle);
    EXPECT_EQ(0u, t.helpId);
    EXPECT_EQ(0, t.x);
    EXPECT_EQ(0, t.y);
    EXPECT_EQ(cx, t.cx);
    EXPECT_EQ(cy, t.cy);
    EXPECT_EQ("", t.menu);
    EXPECT_EQ("", t.windowClass);
    EXPECT_EQ("", t.title);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(0, t.weight);
    EXPECT_EQ(0, t.italic);
    EXPECT_EQ(1, t.charset);
    EXPECT_EQ("Tahoma", t.typeface);
}

} // namespace testing_support
