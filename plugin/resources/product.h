// Who makes the plug-in: the information record's vendor and the version
// resource's company name. Plain C, so that the resource script reads it too.
#ifndef TELEPOST_RESOURCES_PRODUCT_H
#define TELEPOST_RESOURCES_PRODUCT_H

#define TELEPOST_VENDOR "Varnok"

#endif
