#pragma once

// A window that a section button of the main window opens: a section page
// or a section's list. The main window finds it by the class that its
// section names (AchievementList::sections()).
class SectionWindow
{
public:
    virtual ~SectionWindow() = default;
    // With an empty main list the new-record dialog comes first; then the
    // window shows the current record.
    virtual void openForCurrentRecord() = 0;
};
