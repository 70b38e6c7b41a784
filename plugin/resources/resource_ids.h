#ifndef KX_PLUGIN_RESOURCES_RESOURCE_IDS_H_
#define KX_PLUGIN_RESOURCES_RESOURCE_IDS_H_

// Shared by the resource script and the code that loads its resources.
#define IDD_REPAIR_CHOICE 2002

#endif  // KX_PLUGIN_RESOURCES_RESOURCE_IDS_H_
