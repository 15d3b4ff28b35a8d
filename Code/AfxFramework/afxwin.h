// The application framework: include this one header.
#pragma once

#include "AfxApi.h"
#include "AfxGlobals.h"
#include "CObject.h"
#include "CString.h"
#include "CPoint.h"
#include "CRect.h"
#include "CCmdTarget.h"
#include "CWnd.h"
#include "CWinThread.h"
#include "CWinApp.h"
#include "CCommandLineInfo.h"
#include "CGdiObject.h"
#include "CDC.h"
#include "CButton.h"
#include "CDataExchange.h"
#include "CDialog.h"
