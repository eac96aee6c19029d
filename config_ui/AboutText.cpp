#include "config_ui/AboutText.h"

std::string AboutText(const std::string& productName, const std::string& versionText,
                      const std::string& legalNoticeText)
{
    static const char kLineBreak[] = "\r\n";
    std::string text;
    text.reserve(productName.size() + versionText.size() + legalNoticeText.size() + 64);
    text += productName;
    text += kLineBreak;
    text += "Version: ";
    text += versionText;
    text += kLineBreak;
    text += kLineBreak;
    text += "Freeware";
    text += kLineBreak;
    text += kLineBreak;
    text += legalNoticeText;
    text += kLineBreak;
    text += "All Rights Reserved";
    return text;
}
