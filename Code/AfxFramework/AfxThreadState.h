// Per-thread state of the framework (internal, not exported).
#pragma once

#include <unordered_map>

#include "AfxApi.h"

// Objects the framework makes up on demand for handles that have no object of
// their own (CWnd::FromHandle, CDC::FromHandle, CGdiObject::FromHandle). They
// are only valid until the thread next goes idle.
template <class T> class CTempHandleMap {
public:
    CTempHandleMap() = default;
    CTempHandleMap(const CTempHandleMap&) = delete;
    CTempHandleMap& operator=(const CTempHandleMap&) = delete;
    ~CTempHandleMap() { DeleteAll(); }

    template <class MakeFn> T* FindOrCreate(void* hHandle, MakeFn make)
    {
        auto it = m_objects.find(hHandle);
        if (it != m_objects.end())
            return it->second;
        T* pObject = make(hHandle);
        m_objects.emplace(hHandle, pObject);
        return pObject;
    }

    // Forgets the temporary object of a handle that is being attached to a
    // permanent object.
    void Forget(void* hHandle)
    {
        auto it = m_objects.find(hHandle);
        if (it == m_objects.end())
            return;
        DetachAndDelete(it->second);
        m_objects.erase(it);
    }

    void DeleteAll()
    {
        for (auto& entry : m_objects)
            DetachAndDelete(entry.second);
        m_objects.clear();
    }

private:
    static void DetachAndDelete(T* pObject);
    std::unordered_map<void*, T*> m_objects;
};

class CWnd;
class CDC;
class CGdiObject;

struct AfxThreadState {
    MSG lastSentMsg = {};     // the message being handled, for CWnd::Default
    CWnd* pWndInit = nullptr; // the object waiting for the next created window
    HHOOK hHookCbt = nullptr; // hook that binds it
    CTempHandleMap<CWnd> tempWindows;
    CTempHandleMap<CDC> tempDCs;
    CTempHandleMap<CGdiObject> tempGdiObjects;
};

// The calling thread's state, made on first use and freed when the thread ends.
AfxThreadState* AfxGetThreadState();
void AfxFreeThreadState();
bool AfxInitThreadStates();
void AfxTermThreadStates();
