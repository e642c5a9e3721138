#include "YGuiPageList.hpp"

#include "YGuiPropertyPage.hpp"

YGuiPageList::~YGuiPageList() {
    while (head) {
        YGuiPropertyPage* page = head;
        head = page->NextPage();
        delete page;
    }
}

void YGuiPageList::Add(YGuiPropertyPage* page) {
    page->SetNextPage(head);
    head = page;
}

int YGuiPageList::Count() const {
    int count = 0;
    for (YGuiPropertyPage* page = head; page; page = page->NextPage()) ++count;
    return count;
}
