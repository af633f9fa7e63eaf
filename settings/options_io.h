// The eight persisted options of the options record, moved between the
// host's settings store and the record. allObjects, selectIndex and
// commandNumber live only as long as the plug-in object.
#pragma once

#include "commands/options.h"

class MQSetting;

namespace settings {

// Reads each stored option of the plug-in's section into `options`; a
// missing key gives that option's default. Without a section (null: the
// host has no settings element) nothing changes.
void LoadOptions(MQSetting *setting, vexolin::Options &options);

// Writes the eight persisted options, in a fixed order; without a section,
// nothing.
void SaveOptions(MQSetting *setting, const vexolin::Options &options);

} // namespace settings
