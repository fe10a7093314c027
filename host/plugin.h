// Registration base classes of the host and its user-interface helpers.
// Operations a plug-in does not override keep the defaults given here.
#pragma once

#include "host/interfaces.h"
#include "host/max_types.h"

// ZoomExtents() answer of an importer that leaves the view alone.
constexpr int ZOOMEXT_NOT_IMPLEMENTED = -1;

class ClassDesc2 {
   public:
    virtual ~ClassDesc2() = default;
    virtual int IsPublic() = 0;
    virtual void* Create(BOOL loading = FALSE) = 0;
    virtual int BeginCreate(Interface*) { return 0; }
    virtual int EndCreate(Interface*) { return 0; }
    virtual const TCHAR* ClassName() = 0;
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const TCHAR* Category() = 0;
    virtual const TCHAR* InternalName() { return nullptr; }
    virtual HINSTANCE HInstance() { return nullptr; }
};

class SceneImport {
   public:
    virtual ~SceneImport() = default;
    virtual int ExtCount() = 0;
    virtual const TCHAR* Ext(int n) = 0;
    virtual const TCHAR* LongDesc() = 0;
    virtual const TCHAR* ShortDesc() = 0;
    virtual const TCHAR* AuthorName() = 0;
    virtual const TCHAR* CopyrightMessage() = 0;
    virtual const TCHAR* OtherMessage1() = 0;
    virtual const TCHAR* OtherMessage2() = 0;
    virtual unsigned int Version() = 0;
    virtual void ShowAbout(HWND hWnd) = 0;
    virtual int DoImport(const TCHAR* name, ImpInterface* ii, Interface* i,
                         BOOL suppressPrompts = FALSE) = 0;
    virtual int ZoomExtents() { return ZOOMEXT_NOT_IMPLEMENTED; }
};

// Prepares the host's custom controls for the module. This host draws no
// controls; it counts the calls so that a module's start-up can be checked.
void InitCustomControls(HINSTANCE instance);
int CustomControlsInitCount();

// Centres a dialog over its parent. On Windows the window is moved; windows
// of the project's own window layer have no geometry, so there it accepts
// any pair and moves nothing.
void CenterWindow(HWND window, HWND parent);
