// The root of every class that owns a message map: the application object
// and the windows.
#pragma once

#include "message_map.h"

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

    // Runs the handler this object's map gives for the message. Returns
    // false, leaving `result` alone, when the map has none.
    bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
};
