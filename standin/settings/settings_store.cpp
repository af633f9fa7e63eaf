// Not built yet: the host has no settings store, so it hands out no
// settings element.
#include "abi/mq_host_declarations.h"

extern "C" int MQ_CALL MQ_SendMessage(int, void *) { return 0; }
extern "C" int MQ_CALL MQXmlElem_Value(MQXmlElement, int, void *) { return 0; }
