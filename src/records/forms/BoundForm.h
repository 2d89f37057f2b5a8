#pragma once
#include "records/forms/PageBindings.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

class DataSet;
class QWidget;

// One form over one row of a dataset that is handed in from outside (the
// main list's current record, the unit row, a child list's current row).
// The form declares its bindings once, in the order of its input check;
// loading, the change test, the check, writing, posting and the leave
// question are written here once for every form.
class BoundForm
{
public:
    explicit BoundForm(QWidget *form);
    virtual ~BoundForm();
    BoundForm(const BoundForm &) = delete;
    BoundForm &operator=(const BoundForm &) = delete;

    // The row the form edits and compares with.
    virtual DataSet &boundRow() const = 0;
    // The dataset a save writes to (a list may append to its table rather
    // than to the query it shows); the bound row's dataset unless said.
    virtual DataSet &rowToWrite() const;

    const QList<Binding> &bindings() const { return m_bindings; }
    // The category code ("1", "2", "3") the bindings serve; empty: all.
    QString category() const { return m_category; }

    // Fills every control of the form's category from the row and runs
    // the form's loading rules. Then each binding holds what its save would
    // write against the row: a difference is a new value, which the save
    // writes and the change test sees (where the binding compares), unless
    // the control cannot show the stored value whole (keepsStored) and no
    // rule changed what it shows. Every other field keeps its stored value
    // until the user changes its control: leaving an untouched form that
    // shows what its row holds asks nothing.
    void loadFromRow();
    // The same from another row with the same field names (page 4 takes
    // the own-unit profile this way); the form's row is not touched, and a
    // save then writes every field.
    void loadFrom(const DataSet &row);
    // True while the binding's control shows what loading the row put there
    // (or what the last save wrote), so that the field keeps its stored value.
    bool showsAsLoaded(int bindingIndex) const;
    // The same for the binding of the field that serves the form's category.
    bool showsAsLoaded(const QString &field) const;
    // The message of the first check that fails, in binding order; empty
    // when the input passes. Shows nothing.
    QString firstFailingCheck() const;
    // Shows the first failing check's message (ShowWarning) and throws Abort.
    // The dates being typed are settled first (settleTypedDates).
    void checkInput() const;
    // Counts the keys typed into every date field of the form, as leaving
    // the field does; false when a field refused its date, whose message is
    // then shown or comes once the current event is done. Nothing may be
    // stored or left while so: the user sees the date go back and decides.
    bool settleTypedDates() const;
    // The same, throwing Abort on a refused date.
    void requireSettledDates() const;
    bool isUnchanged() const;
    // Writes the bound fields into the row (a new row when the form
    // appends) and posts it. On any failure the row is left as it was and
    // the error is thrown on.
    void writeRow();
    // The leave question: when the form differs from its row it asks; "是"
    // saves through saveForLeave(). False when the form must stay open
    // (the save did not go through).
    bool confirmLeave(const QString &question);

    // The field model: every bound byte-limited edit takes its field's width.
    void applyFieldModel(const DataSet &row);

    // The label a control shows for its field, made its buddy: the
    // control's accessible name and the label's mnemonic follow from it.
    static void labelControl(QWidget *label, QWidget *control);

protected:
    void bind(const Binding &binding);
    void setCategory(const QString &category) { m_category = category; }
    QWidget *formWidget() const { return m_form; }

    // Hooks, in the order they run.
    virtual void prepareLoad(const DataSet &row);
    virtual void afterLoad(const DataSet &row);
    // True when the save appends a row instead of editing the current one.
    virtual bool appendsRow(const DataSet &row) const;
    virtual void beforePost(DataSet &row);
    // The save that "是" of the leave question runs; false when it did not
    // go through (its reason has been shown).
    virtual bool saveForLeave() = 0;

private:
    // The bindings, in order; for each one whose stored value it cannot
    // show (keepsStored), the face right after its own load goes to kept.
    void loadControls(const DataSet &row, QHash<int, QString> *kept);
    void markNewValues(const DataSet &row, const QHash<int, QString> &kept);
    bool writesAsStored(const Binding &b, const DataSet &row) const;
    void writeFields(DataSet &row, bool appending) const;
    // What each binding's control shows now; empty for one without a face.
    QStringList faces() const;
    bool holdsStoredRow() const;
    bool faceAsLoaded(int bindingIndex) const;
    bool faceAsStored(int bindingIndex) const;

    QWidget *m_form;
    QList<Binding> m_bindings;
    // The faces right after the form's row was loaded or written; empty
    // while the form holds no stored row (an added row, another row's values).
    QStringList m_storedFaces;
    // The bindings whose controls show a value the row does not hold.
    QSet<int> m_newValues;
    QString m_category;
};
