#pragma once
#include "widgets/FormBase.h"

class TFBootSer : public FormBase {
    Q_OBJECT
public:
    explicit TFBootSer(Workspace& ws, QWidget* parent = nullptr);
};
