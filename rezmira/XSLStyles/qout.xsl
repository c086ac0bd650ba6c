<?xml version="1.0" encoding="UTF-8"?>
<!-- Question content as HTML: the question text with its pictures, then the answer options. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>

  <xsl:template match="/">
    <html>
      <head><meta http-equiv="Content-Type" content="text/html; charset=utf-8"/></head>
      <body style="font-family: Arial; font-size: 13px;">
        <xsl:apply-templates select="*/question"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="question">
    <p style="margin-top: 0; margin-bottom: 4px;"><xsl:apply-templates select="text"/></p>
    <p style="margin-top: 0; margin-bottom: 2px; color: #606060; font-size: 11px;">
      <xsl:choose>
        <xsl:when test="@type = 'multiple'">Выберите один или несколько вариантов ответа:</xsl:when>
        <xsl:when test="@type = 'input'">Введите ответ:</xsl:when>
        <xsl:otherwise>Выберите один вариант ответа:</xsl:otherwise>
      </xsl:choose>
    </p>
    <xsl:if test="option">
      <p style="margin-top: 0; margin-bottom: 0; margin-left: 16px;">
        <xsl:for-each select="option">
          <xsl:if test="position() &gt; 1"><br/></xsl:if>
          <xsl:value-of select="@id"/>) <xsl:apply-templates/>
        </xsl:for-each>
      </p>
    </xsl:if>
  </xsl:template>

  <xsl:template match="text">
    <xsl:apply-templates/>
  </xsl:template>

  <!-- Pictures stand on a line of their own and keep the reference the viewer gave their
       source. -->
  <xsl:template match="img">
    <xsl:if test="preceding-sibling::node()[normalize-space() or self::*]"><br/></xsl:if>
    <img src="{@src}">
      <xsl:if test="@width"><xsl:attribute name="width"><xsl:value-of select="@width"/></xsl:attribute></xsl:if>
      <xsl:if test="@height"><xsl:attribute name="height"><xsl:value-of select="@height"/></xsl:attribute></xsl:if>
    </img>
    <xsl:if test="following-sibling::node()[normalize-space() or self::*]"><br/></xsl:if>
  </xsl:template>

  <xsl:template match="b|i|u|sub|sup|br">
    <xsl:copy><xsl:apply-templates/></xsl:copy>
  </xsl:template>
</xsl:stylesheet>
