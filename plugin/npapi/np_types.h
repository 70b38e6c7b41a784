#ifndef KX_PLUGIN_NPAPI_NP_TYPES_H_
#define KX_PLUGIN_NPAPI_NP_TYPES_H_

// The NPAPI types, structures and constants that the plug-in and the test
// browser use, declared by us from the published binary interface. Field
// order and widths matter byte for byte: np_types_layout.cc pins them for
// both Windows widths. Table entries use the default C calling convention.

#include <cstdint>

typedef int16_t NPError;
typedef int16_t NPReason;
typedef unsigned char NPBool;
typedef void* NPIdentifier;
typedef char* NPMIMEType;
typedef char NPUTF8;

struct NPP_t {
  void* pdata;  // the plug-in's
  void* ndata;  // the browser's
};
typedef NPP_t* NPP;

struct NPRect {
  uint16_t top;
  uint16_t left;
  uint16_t bottom;
  uint16_t right;
};

enum NPWindowType { NPWindowTypeWindow = 1, NPWindowTypeDrawable = 2 };

struct NPWindow {
  void* window;  // HWND on Windows
  int32_t x;
  int32_t y;
  uint32_t width;
  uint32_t height;
  NPRect clipRect;
  NPWindowType type;
};

struct NPString {
  const NPUTF8* UTF8Characters;  // not NUL-terminated
  uint32_t UTF8Length;
};

struct NPClass;

struct NPObject {
  NPClass* _class;
  uint32_t referenceCount;
};

enum NPVariantType {
  NPVariantType_Void = 0,
  NPVariantType_Null = 1,
  NPVariantType_Bool = 2,
  NPVariantType_Int32 = 3,
  NPVariantType_Double = 4,
  NPVariantType_String = 5,
  NPVariantType_Object = 6,
};

struct NPVariant {
  NPVariantType type;
  union {
    bool boolValue;
    int32_t intValue;
    double doubleValue;
    NPString stringValue;
    NPObject* objectValue;
  } value;
};

struct NPSavedData {
  int32_t len;
  void* buf;
};

// Never looked into by the plug-in; only passed along.
struct NPStream;
struct NPPrint;

typedef NPObject* (*NPAllocateFunctionPtr)(NPP npp, NPClass* aClass);
typedef void (*NPDeallocateFunctionPtr)(NPObject* npobj);
typedef void (*NPInvalidateFunctionPtr)(NPObject* npobj);
typedef bool (*NPHasMethodFunctionPtr)(NPObject* npobj, NPIdentifier name);
typedef bool (*NPInvokeFunctionPtr)(NPObject* npobj, NPIdentifier name, const NPVariant* args,
                                    uint32_t argCount, NPVariant* result);
typedef bool (*NPInvokeDefaultFunctionPtr)(NPObject* npobj, const NPVariant* args,
                                           uint32_t argCount, NPVariant* result);
typedef bool (*NPHasPropertyFunctionPtr)(NPObject* npobj, NPIdentifier name);
typedef bool (*NPGetPropertyFunctionPtr)(NPObject* npobj, NPIdentifier name, NPVariant* result);
typedef bool (*NPSetPropertyFunctionPtr)(NPObject* npobj, NPIdentifier name,
                                         const NPVariant* value);
typedef bool (*NPRemovePropertyFunctionPtr)(NPObject* npobj, NPIdentifier name);
typedef bool (*NPEnumerationFunctionPtr)(NPObject* npobj, NPIdentifier** value, uint32_t* count);
typedef bool (*NPConstructFunctionPtr)(NPObject* npobj, const NPVariant* args, uint32_t argCount,
                                       NPVariant* result);

struct NPClass {
  uint32_t structVersion;
  NPAllocateFunctionPtr allocate;
  NPDeallocateFunctionPtr deallocate;
  NPInvalidateFunctionPtr invalidate;
  NPHasMethodFunctionPtr hasMethod;
  NPInvokeFunctionPtr invoke;
  NPInvokeDefaultFunctionPtr invokeDefault;
  NPHasPropertyFunctionPtr hasProperty;
  NPGetPropertyFunctionPtr getProperty;
  NPSetPropertyFunctionPtr setProperty;
  NPRemovePropertyFunctionPtr removeProperty;
  NPEnumerationFunctionPtr enumerate;
  NPConstructFunctionPtr construct;
};

enum NPPVariable {
  NPPVpluginNameString = 1,
  NPPVpluginDescriptionString = 2,
  NPPVpluginWindowBool = 3,
  NPPVpluginScriptableNPObject = 15,
};

enum NPNVariable {
  NPNVnetscapeWindow = 3,
  NPNVWindowNPObject = 15,
  NPNVPluginElementNPObject = 16,
};

// Plug-in side of the exchange (NP_GetEntryPoints).
typedef NPError (*NPP_NewProcPtr)(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc,
                                  char* argn[], char* argv[], NPSavedData* saved);
typedef NPError (*NPP_DestroyProcPtr)(NPP instance, NPSavedData** save);
typedef NPError (*NPP_SetWindowProcPtr)(NPP instance, NPWindow* window);
typedef NPError (*NPP_NewStreamProcPtr)(NPP instance, NPMIMEType type, NPStream* stream,
                                        NPBool seekable, uint16_t* stype);
typedef NPError (*NPP_DestroyStreamProcPtr)(NPP instance, NPStream* stream, NPReason reason);
typedef void (*NPP_StreamAsFileProcPtr)(NPP instance, NPStream* stream, const char* fname);
typedef int32_t (*NPP_WriteReadyProcPtr)(NPP instance, NPStream* stream);
typedef int32_t (*NPP_WriteProcPtr)(NPP instance, NPStream* stream, int32_t offset, int32_t len,
                                    void* buffer);
typedef void (*NPP_PrintProcPtr)(NPP instance, NPPrint* platformPrint);
typedef int16_t (*NPP_HandleEventProcPtr)(NPP instance, void* event);
typedef void (*NPP_URLNotifyProcPtr)(NPP instance, const char* url, NPReason reason,
                                     void* notifyData);
typedef NPError (*NPP_GetValueProcPtr)(NPP instance, NPPVariable variable, void* value);
typedef NPError (*NPP_SetValueProcPtr)(NPP instance, NPNVariable variable, void* value);
typedef void (*NPP_OpaqueProcPtr)();

struct NPPluginFuncs {
  uint16_t size;
  uint16_t version;
  NPP_NewProcPtr newp;
  NPP_DestroyProcPtr destroy;
  NPP_SetWindowProcPtr setwindow;
  NPP_NewStreamProcPtr newstream;
  NPP_DestroyStreamProcPtr destroystream;
  NPP_StreamAsFileProcPtr asfile;
  NPP_WriteReadyProcPtr writeready;
  NPP_WriteProcPtr write;
  NPP_PrintProcPtr print;
  NPP_HandleEventProcPtr event;
  NPP_URLNotifyProcPtr urlnotify;
  void* javaClass;
  NPP_GetValueProcPtr getvalue;
  NPP_SetValueProcPtr setvalue;
  NPP_OpaqueProcPtr gotfocus;
  NPP_OpaqueProcPtr lostfocus;
  NPP_OpaqueProcPtr urlredirectnotify;
  NPP_OpaqueProcPtr clearsitedata;
  NPP_OpaqueProcPtr getsiteswithdata;
  NPP_OpaqueProcPtr didComposite;
};

// Browser side of the exchange (NP_Initialize).
typedef NPError (*NPN_GetURLProcPtr)(NPP instance, const char* url, const char* window);
typedef void* (*NPN_MemAllocProcPtr)(uint32_t size);
typedef void (*NPN_MemFreeProcPtr)(void* ptr);
typedef NPIdentifier (*NPN_GetStringIdentifierProcPtr)(const NPUTF8* name);
typedef void (*NPN_GetStringIdentifiersProcPtr)(const NPUTF8** names, int32_t nameCount,
                                                NPIdentifier* identifiers);
typedef NPIdentifier (*NPN_GetIntIdentifierProcPtr)(int32_t intid);
typedef bool (*NPN_IdentifierIsStringProcPtr)(NPIdentifier identifier);
typedef NPUTF8* (*NPN_UTF8FromIdentifierProcPtr)(NPIdentifier identifier);
typedef int32_t (*NPN_IntFromIdentifierProcPtr)(NPIdentifier identifier);
typedef NPObject* (*NPN_CreateObjectProcPtr)(NPP npp, NPClass* aClass);
typedef NPObject* (*NPN_RetainObjectProcPtr)(NPObject* obj);
typedef void (*NPN_ReleaseObjectProcPtr)(NPObject* obj);
typedef bool (*NPN_InvokeProcPtr)(NPP npp, NPObject* obj, NPIdentifier methodName,
                                  const NPVariant* args, uint32_t argCount, NPVariant* result);
typedef bool (*NPN_InvokeDefaultProcPtr)(NPP npp, NPObject* obj, const NPVariant* args,
                                         uint32_t argCount, NPVariant* result);
typedef bool (*NPN_EvaluateProcPtr)(NPP npp, NPObject* obj, NPString* script, NPVariant* result);
typedef bool (*NPN_GetPropertyProcPtr)(NPP npp, NPObject* obj, NPIdentifier propertyName,
                                       NPVariant* result);
typedef bool (*NPN_SetPropertyProcPtr)(NPP npp, NPObject* obj, NPIdentifier propertyName,
                                       const NPVariant* value);
typedef bool (*NPN_RemovePropertyProcPtr)(NPP npp, NPObject* obj, NPIdentifier propertyName);
typedef bool (*NPN_HasPropertyProcPtr)(NPP npp, NPObject* obj, NPIdentifier propertyName);
typedef bool (*NPN_HasMethodProcPtr)(NPP npp, NPObject* obj, NPIdentifier propertyName);
typedef void (*NPN_ReleaseVariantValueProcPtr)(NPVariant* variant);
typedef void (*NPN_SetExceptionProcPtr)(NPObject* obj, const NPUTF8* message);
typedef void (*NPN_PluginThreadAsyncCallProcPtr)(NPP instance, void (*func)(void*),
                                                 void* userData);
typedef void (*NPN_OpaqueProcPtr)();

struct NPNetscapeFuncs {
  uint16_t size;
  uint16_t version;
  NPN_GetURLProcPtr geturl;
  NPN_OpaqueProcPtr posturl;
  NPN_OpaqueProcPtr requestread;
  NPN_OpaqueProcPtr newstream;
  NPN_OpaqueProcPtr write;
  NPN_OpaqueProcPtr destroystream;
  NPN_OpaqueProcPtr status;
  NPN_OpaqueProcPtr uagent;
  NPN_MemAllocProcPtr memalloc;
  NPN_MemFreeProcPtr memfree;
  NPN_OpaqueProcPtr memflush;
  NPN_OpaqueProcPtr reloadplugins;
  NPN_OpaqueProcPtr getJavaEnv;
  NPN_OpaqueProcPtr getJavaPeer;
  NPN_OpaqueProcPtr geturlnotify;
  NPN_OpaqueProcPtr posturlnotify;
  NPN_OpaqueProcPtr getvalue;
  NPN_OpaqueProcPtr setvalue;
  NPN_OpaqueProcPtr invalidaterect;
  NPN_OpaqueProcPtr invalidateregion;
  NPN_OpaqueProcPtr forceredraw;
  NPN_GetStringIdentifierProcPtr getstringidentifier;
  NPN_GetStringIdentifiersProcPtr getstringidentifiers;
  NPN_GetIntIdentifierProcPtr getintidentifier;
  NPN_IdentifierIsStringProcPtr identifierisstring;
  NPN_UTF8FromIdentifierProcPtr utf8fromidentifier;
  NPN_IntFromIdentifierProcPtr intfromidentifier;
  NPN_CreateObjectProcPtr createobject;
  NPN_RetainObjectProcPtr retainobject;
  NPN_ReleaseObjectProcPtr releaseobject;
  NPN_InvokeProcPtr invoke;
  NPN_InvokeDefaultProcPtr invokeDefault;
  NPN_EvaluateProcPtr evaluate;
  NPN_GetPropertyProcPtr getproperty;
  NPN_SetPropertyProcPtr setproperty;
  NPN_RemovePropertyProcPtr removeproperty;
  NPN_HasPropertyProcPtr hasproperty;
  NPN_HasMethodProcPtr hasmethod;
  NPN_ReleaseVariantValueProcPtr releasevariantvalue;
  NPN_SetExceptionProcPtr setexception;
  NPN_OpaqueProcPtr pushpopupsenabledstate;
  NPN_OpaqueProcPtr poppopupsenabledstate;
  NPN_OpaqueProcPtr enumerate;
  NPN_PluginThreadAsyncCallProcPtr pluginthreadasynccall;
  NPN_OpaqueProcPtr construct;
  NPN_OpaqueProcPtr getvalueforurl;
  NPN_OpaqueProcPtr setvalueforurl;
  NPN_OpaqueProcPtr getauthenticationinfo;
  NPN_OpaqueProcPtr scheduletimer;
  NPN_OpaqueProcPtr unscheduletimer;
  NPN_OpaqueProcPtr popupcontextmenu;
  NPN_OpaqueProcPtr convertpoint;
  NPN_OpaqueProcPtr handleevent;
  NPN_OpaqueProcPtr unfocusinstance;
  NPN_OpaqueProcPtr urlredirectresponse;
  NPN_OpaqueProcPtr initasyncsurface;
  NPN_OpaqueProcPtr finalizeasyncsurface;
  NPN_OpaqueProcPtr setcurrentasyncsurface;
};

inline constexpr int NP_VERSION_MAJOR = 0;
inline constexpr int NP_VERSION_MINOR = 29;
inline constexpr uint32_t NP_CLASS_STRUCT_VERSION = 3;
inline constexpr uint32_t NP_CLASS_STRUCT_VERSION_CTOR = 3;

inline constexpr uint16_t NP_EMBED = 1;
inline constexpr uint16_t NP_FULL = 2;

inline constexpr NPError NPERR_NO_ERROR = 0;
inline constexpr NPError NPERR_GENERIC_ERROR = 1;
inline constexpr NPError NPERR_INVALID_INSTANCE_ERROR = 2;
inline constexpr NPError NPERR_INVALID_FUNCTABLE_ERROR = 3;
inline constexpr NPError NPERR_MODULE_LOAD_FAILED_ERROR = 4;
inline constexpr NPError NPERR_OUT_OF_MEMORY_ERROR = 5;
inline constexpr NPError NPERR_INVALID_PLUGIN_ERROR = 6;
inline constexpr NPError NPERR_INVALID_PLUGIN_DIR_ERROR = 7;
inline constexpr NPError NPERR_INCOMPATIBLE_VERSION_ERROR = 8;
inline constexpr NPError NPERR_INVALID_PARAM = 9;
inline constexpr NPError NPERR_INVALID_URL = 10;
inline constexpr NPError NPERR_FILE_NOT_FOUND = 11;
inline constexpr NPError NPERR_NO_DATA = 12;
inline constexpr NPError NPERR_STREAM_NOT_SEEKABLE = 13;

// Variant helpers, as the interface's macros do.
inline void VOID_TO_NPVARIANT(NPVariant& v) {
  v.type = NPVariantType_Void;
  v.value.objectValue = nullptr;
}
inline void BOOLEAN_TO_NPVARIANT(bool b, NPVariant& v) {
  v.type = NPVariantType_Bool;
  v.value.boolValue = b;
}

#endif  // KX_PLUGIN_NPAPI_NP_TYPES_H_
