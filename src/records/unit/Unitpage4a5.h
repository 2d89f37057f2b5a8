#pragma once
#include "records/unit/UnitMemoEditor.h"

// The editor of the unit's studydirec memo ("简要说明及补充").
class TFormstudy : public UnitMemoEditor
{
    Q_OBJECT
public:
    explicit TFormstudy(QWidget *parent = nullptr);
};
