#pragma once
#include "widgets/FormBase.h"

class TFHelp : public FormBase {
    Q_OBJECT
public:
    explicit TFHelp(Workspace& ws, QWidget* parent = nullptr);
};
