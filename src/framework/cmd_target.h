// The roots of the framework's class tree: objects, and objects that handle messages by map.
#pragma once

#include "framework/message_map.h"

class CObject {
  public:
    virtual ~CObject() = default;
};

class CCmdTarget : public CObject {
  public:
    // Handles a WM_COMMAND through the message map; FALSE when no entry matches.
    virtual BOOL OnCmdMsg(WPARAM wParam, LPARAM lParam);

    // The wait cursor of the whole application, until the matching EndWaitCursor.
    void BeginWaitCursor();
    void EndWaitCursor();

  protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Calls the handler that the message map holds for the message; FALSE when there is none.
    BOOL DispatchThroughMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
};
