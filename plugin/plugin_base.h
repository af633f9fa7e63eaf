// The plug-in base classes of the host kit. The host asks a plug-in object
// for its identity and kind, and forwards run requests to it; the export
// layer (exports.cpp) reaches every plug-in kind through these bases.
#pragma once

#include "abi/mq_abi.h"

class MQSetting;

class MQBasePlugin {
public:
    MQBasePlugin() = default;
    MQBasePlugin(const MQBasePlugin &) = delete;
    MQBasePlugin &operator=(const MQBasePlugin &) = delete;
    virtual ~MQBasePlugin() = default;

    // Writes the product ID and the plug-in ID.
    virtual void GetPlugInID(MQDWORD *product, MQDWORD *id) = 0;
    // A static string owned by the plug-in.
    virtual const char *GetPlugInName() = 0;
    // The plug-in kind: 1 and 2 file kinds, 3 to 7 menu kinds (5 selection).
    virtual int GetPlugInType() = 0;

    // This plug-in's section of the host's settings store, or null when the
    // host has no settings element. The caller deletes it after use.
    MQSetting *OpenSetting();
};

// Plug-ins listed in a host menu: they enumerate their menu strings and run.
class MQMenuBasePlugin : public MQBasePlugin {
public:
    // Menu string `index`, or null past the last one.
    virtual const char *EnumString(int index) = 0;
    // Runs menu entry `index` on the document; non-zero when it changed it.
    virtual MQBOOL Execute(int index, MQDocument document) = 0;
};

// Plug-ins of the selection menu (kind 5).
class MQSelectPlugin : public MQMenuBasePlugin {};

// Resident plug-ins that receive host events. Vexolin is not one; the class
// exists so that event routing can tell plug-in kinds apart at run time.
class MQStationPlugin : public MQMenuBasePlugin {
public:
    virtual MQBOOL OnStationEvent(MQDocument document, int eventType, void **values) = 0;
};

// Command plug-ins: a kind of resident plug-in.
class MQCommandPlugin : public MQStationPlugin {};

// Import plug-ins receive the import events 300 and 301.
class MQImportPlugin : public MQBasePlugin {
public:
    virtual MQBOOL OnImportEvent(MQDocument document, int eventType, void **values) = 0;
};
