#include "plugin/ProductInfo.h"

#include "framework/TextNumbers.h"
#include "plugin/VersionInfoReader.h"

std::string FormatVersionText(const std::string& productVersion)
{
    // The pattern "%d,%d,%d,%d": each number may follow blanks; each comma must come
    // right after a number. Scanning stops at the first mismatch.
    int part[4] = {0, 0, 0, 0};
    const char* cursor = productVersion.c_str();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (*cursor != ',')
                break;
            ++cursor;
        }
        if (!ScanDecimal(cursor, part[i]))
            break;
    }
    return DecimalText(part[0]) + "." + DecimalText(part[1]) + "." + DecimalText(part[2]) + "." +
           DecimalText(part[3]);
}

std::string DescriptionText(const std::string& productName, const std::string& versionText)
{
    return productName + ", Version: " + versionText;
}

bool ReadProductInfo(const std::string& path, ProductStrings& product)
{
    VersionInfoReader reader;
    if (reader.Open(path.c_str()) != 1)
        return false;
    product.productName = reader.QueryValue("ProductName");
    product.versionText = FormatVersionText(reader.QueryValue("ProductVersion"));
    product.legalNoticeText = reader.QueryValue("LegalCopyright");
    reader.Close();
    return true;
}
