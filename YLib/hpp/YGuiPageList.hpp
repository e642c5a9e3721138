#pragma once

class YGuiPropertyPage;

// The pages of a property sheet or of a dialog's tab control: a singly linked list through the
// pages' next-page field, the most recently added page first. The list owns its pages.
class YGuiPageList {
public:
    YGuiPageList() = default;
    YGuiPageList(const YGuiPageList&) = delete;
    YGuiPageList& operator=(const YGuiPageList&) = delete;
    ~YGuiPageList();

    void Add(YGuiPropertyPage* page);
    int Count() const;
    // The most recently added page; walk on with NextPage().
    YGuiPropertyPage* First() const { return head; }

private:
    YGuiPropertyPage* head = nullptr;
};
