#pragma once

#include <QStringList>

namespace quillon {

/// Maps the font names that reports use to the faces installed here, so that a Song report
/// prints in a Song face rather than whatever the system falls back to:
/// - "宋体", "新宋体", "仿宋", "仿宋_GB2312", "SimSun", "NSimSun", "FangSong" → AR PL UMing CN
/// - "楷体", "楷体_GB2312", "KaiTi", "KaiTi_GB2312" → AR PL UKai CN
/// - "黑体", "微软雅黑", "SimHei", "Microsoft YaHei" → WenQuanYi Zen Hei
/// Any other name is used as it is; the Song and Hei faces follow it in the family list so
/// that Chinese glyphs never come from a face without them.
class ReportFonts
{
public:
    /// The families to ask for, best first.
    static QStringList families(const QString &reportName);
    /// The installed face that a report font name stands for.
    static QString family(const QString &reportName);
    /// Registers the mapping as QFont substitutions, for widgets and dialogs. Idempotent.
    static void installSubstitutions();
};

} // namespace quillon
