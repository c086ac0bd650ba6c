<?xml version="1.0" encoding="UTF-8"?>
<!-- Shared by useranswer.xsl and rightanswer.xsl: the chosen options of one answer element as
     "1) text; 2) text", then any typed values, all joined by "; ". -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template name="options-text">
    <xsl:param name="answer"/>
    <xsl:variable name="question" select="/*/question"/>
    <xsl:for-each select="$answer/option | $answer/value">
      <xsl:if test="position() &gt; 1">; </xsl:if>
      <xsl:choose>
        <xsl:when test="self::option">
          <xsl:variable name="id" select="@id"/>
          <xsl:value-of select="$id"/>
          <xsl:text>) </xsl:text>
          <xsl:value-of select="normalize-space($question/option[@id = $id])"/>
        </xsl:when>
        <xsl:otherwise><xsl:value-of select="normalize-space(.)"/></xsl:otherwise>
      </xsl:choose>
    </xsl:for-each>
  </xsl:template>
</xsl:stylesheet>
