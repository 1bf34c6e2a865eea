#include "core/document/TableWalkGuard.h"

TableWalkGuard::TableWalkGuard(CodeTable &table, Parts parts)
    : m_table(table)
{
    if (parts.testFlag(AfterRowChange)) {
        m_afterRowChange = m_table.afterRowChange();
        m_table.setAfterRowChange({});
        m_detachedRowChange = true;
    }
    if (parts.testFlag(AfterPost)) {
        m_afterPost = m_table.afterPost();
        m_table.setAfterPost({});
        m_detachedPost = true;
    }
    // A walk nested in another one leaves the views to the outer walk.
    if (parts.testFlag(Views) && !m_table.viewsSuspended()) {
        m_table.suspendViews();
        m_suspendedViews = true;
    }
}

TableWalkGuard::~TableWalkGuard()
{
    if (m_detachedPost)
        m_table.setAfterPost(m_afterPost);
    if (m_detachedRowChange)
        m_table.setAfterRowChange(m_afterRowChange);
    if (m_suspendedViews)
        m_table.resumeViews();
}
