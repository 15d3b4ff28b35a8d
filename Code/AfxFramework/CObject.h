// Root of the framework's class tree. It only fixes the virtual destructor,
// so that every framework object can be deleted through a base pointer.
#pragma once

#include "AfxApi.h"

class AFX_API CObject {
public:
    virtual ~CObject();

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
