// Message boxes and the book list's sources for the reader core.
#include "bookhost.h"

#include <book/mounts.h>

#include <platform/messagebox.h>

#include <cstdio>
#include <iostream>

namespace yv::lexdisc {

namespace {

constexpr std::uint32_t kPathBufferSize = 4096;

unsigned iconStyle(book::MessageIcon icon)
{
    switch (icon) {
    case book::MessageIcon::Stop:
        return msgbox::IconError;
    case book::MessageIcon::Question:
        return msgbox::IconQuestion;
    case book::MessageIcon::Exclamation:
        break;
    }
    return msgbox::IconExclamation;
}

} // namespace

int MessageBoxPrompter::show(unsigned style, book::BookMessage message)
{
    const std::string text(book::messageText(message));
    m_open = true;
    const int answer = PrintBox(m_owner, style, "%s", text.c_str());
    m_open = false;
    return answer;
}

void MessageBoxPrompter::report(book::BookMessage message, book::MessageIcon icon)
{
    show(msgbox::Ok | iconStyle(icon), message);
}

bool MessageBoxPrompter::askKeepHits()
{
    return show(msgbox::YesNo | msgbox::IconQuestion, book::BookMessage::HitLimit) == msgbox::IdYes;
}

void MessageBoxPrompter::trace(std::string_view line)
{
    if (m_trace)
        std::cerr << line;
}

std::filesystem::path catalogSetting()
{
    char buffer[kPathBufferSize];
    GetRegStr(HKEY_CURRENT_USER, kSettingsKey, "CATALOG", buffer, sizeof buffer, "");
    return std::filesystem::path(buffer);
}

bool LoadBookList(book::BookShelf& shelf)
{
    return shelf.LoadBookList(catalogSetting(), book::localMountRoots());
}

} // namespace yv::lexdisc
