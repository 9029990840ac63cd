#pragma once

#include "swf/script/ScriptObject.h"

#include <vector>

namespace swf {

struct ClassDecl;
struct NativeCall;

// The built-in classes and global groups, one declaration each, in the
// order they are installed.
extern const ClassDecl GlobalFunctions;
extern const ClassDecl ObjectClass;
extern const ClassDecl FunctionClass;
extern const ClassDecl ArrayClass;
extern const ClassDecl StringClass;
extern const ClassDecl NumberClass;
extern const ClassDecl BooleanClass;
extern const ClassDecl DateClass;
extern const ClassDecl ErrorClass;
extern const ClassDecl MathObject;
extern const ClassDecl KeyObject;
extern const ClassDecl SoundClass;
extern const ClassDecl ColorClass;
extern const ClassDecl MovieClipClass;
extern const ClassDecl StageObject;
extern const ClassDecl MouseObject;
extern const ClassDecl TimerFunctions;
extern const ClassDecl SharedObjectClass;
extern const ClassDecl XMLNodeClass;
extern const ClassDecl XMLClass;
extern const ClassDecl XMLSocketClass;
extern const ClassDecl AsBroadcasterClass;
extern const ClassDecl LocalConnectionClass;
extern const ClassDecl MovieClipLoaderClass;
extern const ClassDecl LoadVarsClass;
extern const ClassDecl PointClass;
extern const ClassDecl MatrixClass;
extern const ClassDecl ColorTransformClass;
extern const ClassDecl TransformClass;
extern const ClassDecl BitmapFilterClass;
extern const ClassDecl BlurFilterClass;
extern const ClassDecl DropShadowFilterClass;
extern const ClassDecl GlowFilterClass;
extern const ClassDecl BevelFilterClass;
extern const ClassDecl GradientGlowFilterClass;
extern const ClassDecl GradientBevelFilterClass;
extern const ClassDecl ColorMatrixFilterClass;
extern const ClassDecl ConvolutionFilterClass;
extern const ClassDecl DisplacementMapFilterClass;
extern const ClassDecl BitmapDataClass;

// MovieClip.filters: copies of the clip's filters, and the filters it draws with.
Value ClipFilters(NativeCall &call);
Value SetClipFilters(NativeCall &call);
// MovieClip.attachBitmap.
Value ClipAttachBitmap(NativeCall &call);
extern const ClassDecl TextFieldClass;
extern const ClassDecl TextFormatClass;
extern const ClassDecl StyleSheetClass;
extern const ClassDecl SelectionObject;
extern const ClassDecl PrintJobClass;
extern const ClassDecl MicrophoneClass;
extern const ClassDecl CameraClass;
extern const ClassDecl ContextMenuClass;
extern const ClassDecl ContextMenuItemClass;
extern const ClassDecl ButtonClass;
extern const ClassDecl NetConnectionClass;
extern const ClassDecl NetStreamClass;
extern const ClassDecl VideoClass;
extern const ClassDecl SystemObject;
extern const ClassDecl RectangleClass;
extern const ClassDecl TextSnapshotClass;
extern const ClassDecl AccessibilityObject;
extern const ClassDecl ExternalInterfaceClass;
extern const ClassDecl FileReferenceClass;
extern const ClassDecl FileReferenceListClass;
extern const ClassDecl NativeFunctions;

// The case functions of version 5 players, which ASnative still reaches:
// they change ASCII letters alone.
Value AsciiUpperCase(NativeCall &call);
Value AsciiLowerCase(NativeCall &call);
// ASnative(2, 0), ASnew: whether the script function calling it was called by new.
Value AsNew(NativeCall &call);
// ASnative(11, 0): gives this the members of System.capabilities.
Value QueryCapabilities(NativeCall &call);
class ScriptEngine;
// Takes __proto__ and constructor from a function, as the reference player's bare ones have neither.
void RemoveFunctionMembers(ScriptEngine &engine, ScriptObject &function);

class ScriptEngine;
// Writes every shared object the movie opened, as the reference player does
// when a movie goes.
void FlushSharedObjects(ScriptEngine &engine);
class MoviePlayer;
// Hands the movie the LocalConnection messages and statuses waiting for it.
void DeliverLocalConnections(MoviePlayer &player);

// Every built-in a movie's globals are made from. The list is explicit:
// the engine is a static library, and tables that registered themselves
// would be dropped by the linker.
const std::vector<const ClassDecl *> &AllBuiltins();

} // namespace swf
