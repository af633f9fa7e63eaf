// Not built yet: the host has no widget toolkit; every request is refused.
#include "abi/mq_host_declarations.h"

extern "C" int MQ_CALL MQWidget_Value(int, int, void **) { return 0; }
