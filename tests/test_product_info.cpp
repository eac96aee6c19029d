// Product strings from real version resources: the plug-in's own, a German one with a
// Windows code page, and libraries without any.
#include <gtest/gtest.h>

#include "plugin/ProductInfo.h"
#include "plugin/VersionInfoReader.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::string DataLibrary(const char* name)
{
    return ProgramDirectory() + "\\" + name;
}

TEST(VersionInfoReader, ReadsTheShippedResource)
{
    VersionInfoReader reader;
    ASSERT_EQ(1, reader.Open(BuiltPluginPath().c_str()));
    EXPECT_EQ(0x040904B0u, reader.translation());
    EXPECT_EQ("Velmora for Eudora", reader.QueryValue("ProductName"));
    EXPECT_EQ("2, 0, 0, 1", reader.QueryValue("ProductVersion"));
    EXPECT_EQ("2, 0, 0, 1", reader.QueryValue("FileVersion"));
    EXPECT_EQ("Final Release", reader.QueryValue("Comments"));
    EXPECT_EQ("Program File", reader.QueryValue("FileDescription"));
    EXPECT_EQ("Velmora", reader.QueryValue("InternalName"));
    EXPECT_EQ("All Rights Reserved", reader.QueryValue("LegalTrademarks"));
    EXPECT_EQ("velmora.dll", reader.QueryValue("OriginalFilename"));
    EXPECT_EQ("", reader.QueryValue("PrivateBuild"));
    EXPECT_EQ("", reader.QueryValue("NoSuchKey"));
    EXPECT_FALSE(reader.QueryValue("LegalCopyright").empty());
    EXPECT_EQ("", reader.QueryValue("ProductName", 0x040704E4)) << "no German table";
    reader.Close();
    EXPECT_EQ(0u, reader.translation());
    EXPECT_EQ("", reader.QueryValue("ProductName"));
}

TEST(VersionInfoReader, ShippedFixedPartDescribesA32BitDll)
{
    const std::string path = BuiltPluginPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, &block[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00020000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00020000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);
    EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileSubtype);
}

TEST(VersionInfoReader, UsesTheFirstTranslationOfTheFile)
{
    VersionInfoReader reader;
    ASSERT_EQ(1, reader.Open(DataLibrary("version_de.dll").c_str()));
    EXPECT_EQ(0x040704E4u, reader.translation());
    EXPECT_EQ("Testprodukt", reader.QueryValue("ProductName"));
    EXPECT_EQ("Testprodukt", reader.QueryValue("ProductName", 0x040704E4));
    EXPECT_EQ("", reader.QueryValue("ProductName", 0x040904B0));
}

TEST(VersionInfoReader, FailsCleanlyWithoutAResource)
{
    VersionInfoReader reader;
    EXPECT_EQ(0, reader.Open(DataLibrary("no_resources.dll").c_str()));
    EXPECT_EQ(0u, reader.translation());
    EXPECT_EQ("", reader.QueryValue("ProductName"));
    EXPECT_EQ(0, reader.Open("C:\\no\\such\\file.dll"));
    EXPECT_EQ(0, reader.Open(""));
    reader.Close();
    reader.Close();
}

TEST(FormatVersionText, ReformatsCommaSeparatedNumbers)
{
    struct Case { const char* in; const char* out; } cases[] = {
        {"2, 0, 0, 1", "2.0.0.1"},
        {"10,20,30,40", "10.20.30.40"},
        {" 3 , 4 ,5,6", "3.0.0.0"},   // a blank before a comma ends the pattern
        {"1,2", "1.2.0.0"},
        {"1.2.3.4", "1.0.0.0"},
        {"", "0.0.0.0"},
        {"beta", "0.0.0.0"},
        {"-1,2,3,4", "-1.2.3.4"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, FormatVersionText(c.in)) << '"' << c.in << '"';
}

TEST(ReadProductInfo, FillsTheThreeStringsOrLeavesThemAlone)
{
    ProductStrings product;
    ReadProductInfo(DataLibrary("no_resources.dll"), product);
    EXPECT_EQ("", product.productName);
    EXPECT_EQ("", product.versionText);
    EXPECT_EQ("", product.legalNoticeText);
    EXPECT_EQ(", Version: ", DescriptionText(product.productName, product.versionText));

    ReadProductInfo(DataLibrary("version_de.dll"), product);
    EXPECT_EQ("Testprodukt", product.productName);
    EXPECT_EQ("10.20.30.40", product.versionText);
    EXPECT_EQ("Zeile eins\r\nZeile zwei", product.legalNoticeText);

    ReadProductInfo(BuiltPluginPath(), product);
    EXPECT_EQ("Velmora for Eudora", product.productName);
    EXPECT_EQ("2.0.0.1", product.versionText);
    EXPECT_EQ("Velmora for Eudora, Version: 2.0.0.1",
              DescriptionText(product.productName, product.versionText));

    ReadProductInfo("C:\\missing\\velmora.dll", product);
    EXPECT_EQ("Velmora for Eudora", product.productName) << "a failed read keeps the strings";
}

} // namespace
