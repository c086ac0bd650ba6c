<?xml version="1.0" encoding="UTF-8"?>
<!-- The answer given, as plain text: the chosen options or typed values, or "нет ответа". -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="answer-text.xsl"/>
  <xsl:output method="text" encoding="UTF-8"/>
  <xsl:template match="/">
    <xsl:choose>
      <xsl:when test="*/user-answer/option | */user-answer/value">
        <xsl:call-template name="options-text">
          <xsl:with-param name="answer" select="*/user-answer"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>нет ответа</xsl:otherwise>
    </xsl:choose>
  </xsl:template>
</xsl:stylesheet>
