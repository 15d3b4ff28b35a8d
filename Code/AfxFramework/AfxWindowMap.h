// The process-wide map from window handles to their permanent objects
// (internal). Windows of UI modules may live on other threads, so it is locked.
#pragma once

#include "AfxApi.h"

class CWnd;

CWnd* AfxLookupPermanentWnd(HWND hWnd);
void AfxAddPermanentWnd(HWND hWnd, CWnd* pWnd);
void AfxRemovePermanentWnd(HWND hWnd);
