#pragma once
#include "widgets/FormBase.h"

class TFsdo : public FormBase {
    Q_OBJECT
public:
    explicit TFsdo(Workspace& ws, QWidget* parent = nullptr);
};
