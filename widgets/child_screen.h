#pragma once

namespace widgets {

// A screen that lives inside the main window (the batches and the groups)
// implements this so that the main window can ask before it closes it and,
// when the program is ended from outside, drop an edit in progress without
// saving half of it.
class ChildScreen
{
public:
    virtual ~ChildScreen() = default;
    // May ask the user; false keeps the screen open.
    virtual bool CloseQuery() = 0;
    // Cancels whatever is being edited; the screen closes right after.
    virtual void CancelEdits() = 0;
};

} // namespace widgets
