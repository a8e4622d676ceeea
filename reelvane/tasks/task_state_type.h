#pragma once
// TaskState as a Qt type: it travels in queued signals and in the model's raw role.

#include "reelvane/conversion/run_observer.h"

#include <QMetaType>

Q_DECLARE_METATYPE(reelvane::TaskState)
