#pragma once
#include "widgets/FormBase.h"

class TFSetPdo : public FormBase {
    Q_OBJECT
public:
    explicit TFSetPdo(Workspace& ws, QWidget* parent = nullptr);
};
