// Device contexts and drawing objects for painting, in particular owner-drawn items.
// vlDevContext remembers what it selected per kind of object so that it can put things
// back and delete what it owns.
#pragma once
#include <windows.h>
#include "vlObject.h"

// The kinds of drawing object a context keeps apart.
enum WHICHOBJ { vlPEN = 0, vlBRUSH = 1, vlFONT = 2, vlBITMAP = 3, vlREGION = 4, vlPALETTE = 5 };

// A GDI object handle, deleted with the object when owned.
class vlDrawObj : public vlObject {
 public:
  // Takes `handle`; owned objects are deleted (DeleteObject) with this wrapper.
  vlDrawObj(HGDIOBJ handle, bool owns = true);
  ~vlDrawObj() override;

  HGDIOBJ handle;
};

class vlDevInfo : public vlObject {
 public:
  vlDevInfo(HDC context, bool owns);
  ~vlDevInfo() override;  // DeleteDC when owned

  HDC hdc;
};

class vlDevContext : public vlDevInfo {
 public:
  // Around an existing context, not owned.
  explicit vlDevContext(HDC context);
  ~vlDevContext() override;  // restoreSelection(-1)

  void initTable();
  // Selects `object` of `kind`; releases what this context held for the kind. Returns
  // the object that was selected before.
  HGDIOBJ select(WHICHOBJ kind, void* object, bool owns);
  HGDIOBJ select(WHICHOBJ kind, vlDrawObj* object, bool owns);
  // Puts back what was there before this context's first selection of the kind (or of
  // every kind for -1) and deletes what it owns.
  void restoreSelection(int kind);

  vlDrawObj* drawObjects[6];
  HGDIOBJ selected[6];
  bool ownsSelected[6];
  HGDIOBJ original[6];  // what the first select of each kind replaced
};
