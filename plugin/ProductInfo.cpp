#include "plugin/ProductInfo.h"

#include <cstdio>

#include "plugin/PluginState.h"
#include "plugin/VersionInfoReader.h"

std::string FormatVersionText(const std::string& productVersion)
{
    int part[4] = {0, 0, 0, 0};
    std::sscanf(productVersion.c_str(), "%d,%d,%d,%d", &part[0], &part[1], &part[2], &part[3]);
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", part[0], part[1], part[2], part[3]);
    return text;
}

std::string DescriptionText(const std::string& productName, const std::string& versionText)
{
    return productName + ", Version: " + versionText;
}

void ReadProductInfo(const std::string& path)
{
    VersionInfoReader reader;
    if (reader.Open(path.c_str()) != 1)
        return;
    ProductInfo.productName = reader.QueryValue("ProductName");
    ProductInfo.versionText = FormatVersionText(reader.QueryValue("ProductVersion"));
    ProductInfo.legalNoticeText = reader.QueryValue("LegalCopyright");
    reader.Close();
}
